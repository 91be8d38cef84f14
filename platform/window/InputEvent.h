#pragma once

#include <cstdint>
#include <string>

namespace platform {

// One input event as a backend delivers it to the window, in emulated-screen coordinates (the
// whole phone screen, title bar included).
struct InputEvent {
  enum class Type {
    kKeyDown,     // key: virtual-key code; ctrl, shift: modifiers held
    kKeyUp,       // key
    kText,        // text: UTF-8 typed text
    kStylusDown,  // x, y
    kStylusMove,  // x, y
    kStylusUp,    // x, y
    kCloseRequest,
  };
  Type type = Type::kKeyDown;
  std::uint32_t key = 0;
  bool ctrl = false;
  bool shift = false;
  std::string text;
  std::int32_t x = 0;
  std::int32_t y = 0;
};

}  // namespace platform
