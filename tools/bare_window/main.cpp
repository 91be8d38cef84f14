// vornalo-bare-window: the phone screen with nothing in the application's window, on the
// desktop or headless. It shows the title bar, the main soft-key bar and its Options menu,
// logs the messages that reach the window (--log), and exits on "Exit" or Ctrl+Q.

#include <cstdio>
#include <string>
#include <vector>

#include "app/AppResources.h"
#include "platform/sdl2/WindowHost.h"

namespace {

class BareWindow : public platform::WindowProcedure {
 public:
  explicit BareWindow(bool log) : log_(log) {}

  std::intptr_t OnMessage(platform::Window& window, const platform::Message& message) override {
    namespace wm = platform::wm;
    if (log_ && message.id != wm::kPaint) {
      std::printf("message %u %ju %jd\n", message.id, static_cast<std::uintmax_t>(message.wParam),
                  static_cast<std::intmax_t>(message.lParam));
      std::fflush(stdout);
    }
    switch (message.id) {
      case wm::kCreate:
        window.SetMenuBar(app::kMainMenuBarResource);
        return 0;
      case wm::kPaint:
        return 0;  // the window's white background is all there is
      case wm::kCommand:
        if ((message.wParam & 0xFFFF) == app::kExitCommand) window.Send(wm::kClose);
        if ((message.wParam & 0xFFFF) == app::kCancelCommand) window.SetMenuBar(app::kMainMenuBarResource);
        if ((message.wParam & 0xFFFF) == app::kNewSearchCommand) window.SetMenuBar(app::kPopupMenuBarResource);
        return 0;
      case wm::kDestroy:
        window.DestroyMenuBar();
        window.PostQuit(0);
        return 0;
      default:
        return window.DefaultProcedure(message);
    }
  }

 private:
  bool log_;
};

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  platform::WindowOptions options;
  std::string error;
  if (!platform::ParseWindowOptions(args, options, error)) {
    std::fprintf(stderr, "vornalo-bare-window: %s\n", error.c_str());
    return 2;
  }
  bool log = false;
  for (const std::string& arg : args) {
    if (arg == "--log") {
      log = true;
    } else {
      std::fprintf(stderr,
                   "usage: vornalo-bare-window [--screen WxH] [--zoom N] [--headless] "
                   "[--script FILE] [--screenshot-dir DIR] [--log]\n");
      return 2;
    }
  }
  auto host = platform::WindowHost::Open(options, u"Vornalo Mobile", error);
  if (!host) {
    std::fprintf(stderr, "vornalo-bare-window: %s\n", error.c_str());
    return 1;
  }
  BareWindow procedure(log);
  host->GetWindow().SetResources(app::VornaloResources());
  host->GetWindow().Create(procedure);
  return host->RunMessageLoop();
}
