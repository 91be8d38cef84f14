#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// A window message: what the window procedure receives. Private messages of the application
// are kUser + n (1024 + n) and its own fixed numbers (11026, 12024 to 12027).
struct Message {
  std::uint32_t id = 0;
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
};

namespace wm {
inline constexpr std::uint32_t kCreate = 0x0001;
inline constexpr std::uint32_t kDestroy = 0x0002;
// lParam: the new client width (low 16 bits) and height (high 16 bits).
inline constexpr std::uint32_t kSize = 0x0005;
inline constexpr std::uint32_t kActivate = 0x0006;
inline constexpr std::uint32_t kPaint = 0x000F;
inline constexpr std::uint32_t kClose = 0x0010;
inline constexpr std::uint32_t kShowWindow = 0x0018;
// wParam: the virtual key; lParam: key data (repeat count 1).
inline constexpr std::uint32_t kKeyDown = 0x0100;
inline constexpr std::uint32_t kKeyUp = 0x0101;
// wParam: one UTF-16 code unit.
inline constexpr std::uint32_t kChar = 0x0102;
// wParam: the command in the low 16 bits.
inline constexpr std::uint32_t kCommand = 0x0111;
// wParam: the timer's id.
inline constexpr std::uint32_t kTimer = 0x0113;
// lParam: x (low 16 bits, signed) and y (high 16 bits, signed) in client coordinates.
inline constexpr std::uint32_t kStylusMove = 0x0200;
inline constexpr std::uint32_t kStylusDown = 0x0201;
inline constexpr std::uint32_t kStylusUp = 0x0202;
inline constexpr std::uint32_t kUser = 0x0400;
}  // namespace wm

// Key data of a key-down message (repeat count 1) and of a key-up message.
inline constexpr std::intptr_t kKeyDownData = 1;
inline constexpr std::intptr_t kKeyUpData = static_cast<std::intptr_t>(0xC0000001u);

// Virtual-key codes. Letters and digits are their upper-case ASCII codes ('A' is 65).
namespace vk {
inline constexpr std::uint32_t kBack = 8;
inline constexpr std::uint32_t kTab = 9;
inline constexpr std::uint32_t kReturn = 13;
inline constexpr std::uint32_t kEscape = 27;
inline constexpr std::uint32_t kSpace = 32;
inline constexpr std::uint32_t kEnd = 35;
inline constexpr std::uint32_t kHome = 36;
inline constexpr std::uint32_t kLeft = 37;
inline constexpr std::uint32_t kUp = 38;
inline constexpr std::uint32_t kRight = 39;
inline constexpr std::uint32_t kDown = 40;
inline constexpr std::uint32_t kDelete = 46;
inline constexpr std::uint32_t kF1 = 112;
inline constexpr std::uint32_t kF2 = 113;
inline constexpr std::uint32_t kF11 = 122;
inline constexpr std::uint32_t kF12 = 123;
}  // namespace vk

constexpr std::intptr_t MakeLParam(std::int32_t low, std::int32_t high) {
  return static_cast<std::intptr_t>((static_cast<std::uint32_t>(low) & 0xFFFF) |
                                    (static_cast<std::uint32_t>(high) & 0xFFFF) << 16);
}
// The signed low and high 16 bits of a parameter (stylus coordinates, sizes).
constexpr std::int32_t LowWord(std::intptr_t value) {
  return static_cast<std::int16_t>(static_cast<std::uint32_t>(value) & 0xFFFF);
}
constexpr std::int32_t HighWord(std::intptr_t value) {
  return static_cast<std::int16_t>(static_cast<std::uint32_t>(value) >> 16 & 0xFFFF);
}

enum class MessageBoxButtons { kOk, kYesNo };
// What a message box returns (the phone's IDOK, IDYES and IDNO).
enum class MessageBoxResult { kOk = 1, kYes = 6, kNo = 7 };

class Window;

// The application side of a window: every message of the window arrives here, on the UI
// thread. Messages it does not handle go to Window::DefaultProcedure.
class WindowProcedure {
 public:
  virtual ~WindowProcedure() = default;
  virtual std::intptr_t OnMessage(Window& window, const Message& message) = 0;
  // Appends what the window shows now, one element a line (UTF-8, no line breaks): the
  // screen as text that scripts dump and wait for. The default shows nothing.
  virtual void DescribeScreen(std::vector<std::string>& lines) const { (void)lines; }
};

}  // namespace platform
