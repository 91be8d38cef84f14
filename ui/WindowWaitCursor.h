#pragma once

#include "core/WaitCursor.h"
#include "platform/window/Window.h"

namespace ui {

// Shows the process's wait cursor (BeginWaitCursor / EndWaitCursor) on the window: the SDL
// system wait cursor on the desktop, a flag headless. Install it with SetWaitCursorHost while
// the window lives; the cursor calls then belong to the UI thread.
class WindowWaitCursor : public core::WaitCursorHost {
 public:
  explicit WindowWaitCursor(platform::Window& window) : window_(window) {}
  void ShowWaitCursor() override { window_.SetWaitCursor(true); }
  void RestoreCursor() override { window_.SetWaitCursor(false); }

 private:
  platform::Window& window_;
};

}  // namespace ui
