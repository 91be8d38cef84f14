#pragma once

#include <string>

#include "platform/gfx/Geometry.h"
#include "platform/gfx/Surface.h"
#include "platform/window/Messages.h"

namespace platform {

class Window;

// What a window needs from the system that shows it: the desktop (SDL2) or nothing at all
// (headless). All calls but Wake come from the UI thread.
class Backend {
 public:
  virtual ~Backend() = default;

  // Waits up to timeoutMs (negative: without limit) for system events, hands each to
  // window.HandleInput, and returns once it handled at least one or Wake was called.
  virtual void PumpEvents(Window& window, int timeoutMs) = 0;
  // Ends a PumpEvents wait early. Safe from any thread.
  virtual void Wake() = 0;
  // Shows the composed screen.
  virtual void Present(const Surface& screen) = 0;
  // The emulated screen changed its size (rotation).
  virtual void ScreenResized(Size screen) = 0;
  // A modal message box; UTF-8 texts.
  virtual MessageBoxResult ShowMessageBox(const std::string& caption, const std::string& text,
                                          MessageBoxButtons buttons) = 0;
  virtual void SetWaitCursor(bool shown) = 0;
  // Brings the window to the front of the desktop (another start of the program asked).
  virtual void Raise() {}
  // Keeps the desktop's screensaver and idle sleep off (true) or allows them again (false).
  virtual void KeepSystemAwake(bool) {}
};

}  // namespace platform
