#pragma once

#include <cstddef>
#include <cstdint>

namespace ui {

// One row of a popup list: its label and the window message posted when it is chosen.
struct MenuEntry {
  static constexpr std::size_t kTextSize = 256;
  // Narrow (UTF-8), NUL-terminated.
  char text[kTextSize] = {};
  std::uint32_t command = 0;
  // Second parameter of the command (0 unless the owner sets it, e.g. a theme index).
  std::uint32_t value = 0;
};

}  // namespace ui
