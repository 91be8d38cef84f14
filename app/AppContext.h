#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/AppOptions.h"
#include "platform/audio/PcmSink.h"
#include "platform/window/Window.h"

namespace catalogue {
class TrackCache;
}  // namespace catalogue
namespace core {
class AppSettings;
}  // namespace core

namespace app {

// What start-up hands the application object: the window it will create, the settings, the
// command line and the catalogue server's address. Everything lives until the application
// object is gone.
struct AppContext {
  platform::Window& window;
  core::AppSettings& settings;
  const AppOptions& options;
  std::string serverUrl;      // "http://host:port"
  std::string dataDirectory;  // where data.dat lives
  // The cache of played tracks (null: none).
  catalogue::TrackCache* trackCache = nullptr;
};

// The PCM sink --audio asks for (the desktop's device, the null sink, or a WAV file).
std::unique_ptr<platform::PcmSink> MakePcmSink(const AppOptions& options);

// The parts of the program start-up builds and runs. Each has a default; tests and later
// stages of the program replace them.
struct ApplicationParts {
  // Draws the splash picture straight onto the screen (Window::GetScreenDC), before the
  // version check. Default: nothing.
  std::function<void(platform::Window&)> drawSplash;
  // Builds the application object: the procedure of the main window. It does no drawing and
  // opens no window. Default: ShellWindow.
  std::function<std::unique_ptr<platform::WindowProcedure>(AppContext&)> makeApplication;
};

}  // namespace app
