#pragma once

#include "platform/window/Window.h"

namespace app {

// The main window's procedure while it holds no screens: the title bar, the main soft-key bar
// and an empty application area. It ends the wait cursor at its paints and closes on "Exit"
// (Ctrl+Q); the close destroys the window, which ends the message loop with code 0.
class ShellWindow : public platform::WindowProcedure {
 public:
  std::intptr_t OnMessage(platform::Window& window, const platform::Message& message) override;
};

}  // namespace app
