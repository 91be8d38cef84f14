#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// One entry of a soft key's menu: a label that sends its command, or a separator.
struct MenuEntry {
  std::u16string label;
  std::uint32_t command = 0;
  bool separator = false;
};

// A soft key sends its command when pressed, or opens its menu when it has one. An empty
// label means no key.
struct SoftKey {
  std::u16string label;
  std::uint32_t command = 0;
  std::vector<MenuEntry> menu;
};

// A soft-key bar as the program's resources define it.
struct MenuBarResource {
  int id = 0;
  SoftKey left;
  SoftKey right;
};

// The main bar: "New Search" and "Options" with the Options menu.
inline constexpr int kMainMenuBarResource = 102;
// The bar of popups: "Cancel".
inline constexpr int kPopupMenuBarResource = 20;

// The soft-key bar resource with that id; null when there is none.
const MenuBarResource* FindMenuBarResource(int id);

}  // namespace platform
