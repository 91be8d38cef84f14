#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/window/Window.h"

namespace platform {

// How a program's window runs: on the desktop or headless, with an optional script.
struct WindowOptions {
  static constexpr int kMaxZoom = 8;
  static constexpr std::int32_t kMinScreenSide = 120;
  static constexpr std::int32_t kMaxScreenSide = 2048;

  Size screen{240, 320};
  bool screenGiven = false;  // --screen was on the command line
  int zoom = 0;  // 0: the largest that fits the display (AutomaticZoom)
  bool headless = false;
  std::string script;  // implies headless, unless windowed
  bool windowed = false;  // --windowed: a script runs in the desktop window
  bool soak = false;      // --soak: the script acknowledges each line and goes on after a failed one
  std::string screenshotDirectory;
  // Told each zoom the user chooses on the desktop (Ctrl+Plus, Ctrl+Minus); UI thread.
  std::function<void(int zoom)> zoomChanged;
};

// The largest whole zoom at which a screen of this height stays within 85 % of the display's
// usable height; at least 1, at most kMaxZoom.
int AutomaticZoom(std::int32_t screenHeight, std::int32_t usableHeight);
// AutomaticZoom over the first display's usable height; 1 when there is no display to ask.
int DisplayZoom(std::int32_t screenHeight);

// Takes the window options (--screen WxH, --zoom N, --headless, --script FILE, --windowed,
// --soak, --screenshot-dir DIR) out of args, leaving the others in order. False with a reason on a
// bad value.
bool ParseWindowOptions(std::vector<std::string>& args, WindowOptions& options, std::string& error);

class HeadlessBackend;

// Owns the backend and the window of a program. The program makes its procedure, creates
// the window with it and calls RunMessageLoop.
class WindowHost {
 public:
  // Null, with the reason in error, when the display or the script cannot be opened.
  static std::unique_ptr<WindowHost> Open(const WindowOptions& options, const std::u16string& title,
                                          std::string& error);
  ~WindowHost();

  Window& GetWindow() { return *window_; }
  // Runs the message loop, or the script, until the program ends; returns its exit code.
  int RunMessageLoop();

 private:
  WindowHost() = default;
  std::unique_ptr<Backend> backend_;
  HeadlessBackend* headless_ = nullptr;  // the backend when headless
  std::unique_ptr<Window> window_;
  std::string scriptPath_;
  std::string scriptText_;
  bool soak_ = false;
};

}  // namespace platform
