#include "app/ShellWindow.h"

#include "core/WaitCursor.h"
#include "app/AppResources.h"

namespace app {

std::intptr_t ShellWindow::OnMessage(platform::Window& window, const platform::Message& message) {
  namespace wm = platform::wm;
  switch (message.id) {
    case wm::kCreate:
      window.SetMenuBar(kMainMenuBarResource);
      return 0;
    case wm::kPaint:
      // Nothing to draw over the window's white background; the first paint ends the wait
      // cursor of start-up.
      core::BeginWaitCursor();
      core::EndWaitCursor();
      return 0;
    case wm::kActivate:
    case wm::kShowWindow:
      return 0;
    case wm::kCommand: {
      const std::uint32_t command = message.wParam & 0xFFFF;
      if (command == kExitCommand) {
        window.Send(wm::kClose);
      } else if (command == kCancelCommand) {
        window.SetMenuBar(kMainMenuBarResource);
      }
      return 0;
    }
    case wm::kDestroy:
      window.DestroyMenuBar();
      window.PostQuit(0);
      return 0;
    default:
      return window.DefaultProcedure(message);
  }
}

}  // namespace app
