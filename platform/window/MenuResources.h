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

// Ctrl + key sends the command at once, before the key reaches the window. `key` is an
// upper-case letter.
struct Accelerator {
  std::uint32_t key = 0;
  std::uint32_t command = 0;
};

// What the application hands its window: every soft-key bar it may install by id, and its
// accelerators, and the command that ends the program (0 for none), which a modal wait gives
// way to.
struct ShellResources {
  std::vector<MenuBarResource> menuBars;
  std::vector<Accelerator> accelerators;
  std::uint32_t exitCommand = 0;
};

}  // namespace platform
