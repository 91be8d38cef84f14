#pragma once

#include <cstdint>

#include "platform/window/Messages.h"

namespace ui {

// The window messages the toolkit's controls post to the main window. The first parameter
// is always the posting control's cookie (usually its owning screen).
namespace msg {
// Tab bar: a tap chose another tab; second parameter the tab index.
inline constexpr std::uint32_t kTabSelected = platform::wm::kUser + 100;  // 1124
// List controls: Enter or a tap on a row; second parameter 0 or the entry's value.
inline constexpr std::uint32_t kItemActivated = platform::wm::kUser + 300;  // 1324
// Screens: Down moved past the last row of a page / Up past the first.
inline constexpr std::uint32_t kNextPageByKey = platform::wm::kUser + 301;      // 1325
inline constexpr std::uint32_t kPreviousPageByKey = platform::wm::kUser + 302;  // 1326
// Page control buttons; second parameter 0.
inline constexpr std::uint32_t kPreviousPageButton = platform::wm::kUser + 303;  // 1327
inline constexpr std::uint32_t kNextPageButton = platform::wm::kUser + 304;      // 1328
// Text field: Enter in the query field; second parameter 0.
inline constexpr std::uint32_t kQueryEntered = platform::wm::kUser + 910;  // 1934
}  // namespace msg

}  // namespace ui
