#pragma once

#include <cstdint>

#include "platform/window/MenuResources.h"

namespace app {

// The client's soft-key bars, menu commands and accelerators, handed to its window as data.

// The main bar: "New Search" and "Options" with the Options menu.
inline constexpr int kMainMenuBarResource = 102;
// The bar of popups: "Cancel".
inline constexpr int kPopupMenuBarResource = 20;

// Commands of the accelerators: Ctrl+A and Ctrl+Q.
inline constexpr std::uint32_t kAboutCommand = 40002;
inline constexpr std::uint32_t kExitCommand = 40000;
// Commands of the soft keys: "New Search" on the main bar, "Cancel" on the popup bar.
inline constexpr std::uint32_t kNewSearchCommand = 32772;
inline constexpr std::uint32_t kCancelCommand = 40003;
// Commands of the Options menu.
inline constexpr std::uint32_t kClearPlaylistCommand = 32776;
inline constexpr std::uint32_t kPlayerSkinsCommand = 32774;
inline constexpr std::uint32_t kColorThemesCommand = 32775;
inline constexpr std::uint32_t kHelpCommand = 40004;

// Both bars and both accelerators.
platform::ShellResources VornaloResources();

}  // namespace app
