#include "app/VornaloProgram.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "app/CatalogueHost.h"
#include "app/DataNetwork.h"
#include "app/DesktopLayout.h"
#include "app/AppResources.h"
#include "app/PhoneState.h"
#include "app/ShellWindow.h"
#include "app/SingleInstance.h"
#include "app/VersionCheck.h"
#include "catalogue/TrackCache.h"
#include "core/AppSettings.h"
#include "core/ScreenMetrics.h"
#include "core/WaitCursor.h"
#include "platform/DebugLog.h"
#include "platform/RegistryStore.h"
#include "platform/TextCodec.h"
#include "platform/sdl2/WindowHost.h"
#include "ui/BlendBuffer.h"
#include "ui/ResourcePaths.h"
#include "ui/WindowWaitCursor.h"

namespace app {

namespace {

constexpr const char* kWindowTitle = "Vornalo Mobile";
constexpr const char* kMemoryLowCaption = "Memory Low";
constexpr const char* kMemoryLowText =
    "There is not enough free memory available to run this application. Close any unused "
    "applications and try again.";
constexpr const char* kProgramErrorCaption = "Program Error";
constexpr const char* kProgramErrorText = "Initialization has failed";
constexpr int kOpenFailedExitCode = 1;
// The desktop window's last zoom the user chose, beside the settings' own values.
constexpr const char* kWindowZoomValue = "windowZoom";

std::filesystem::path ConfigDirectory(const AppOptions& options) {
  return options.configDirectory.empty() ? platform::RegistryStore::DefaultDirectory()
                                         : std::filesystem::path(options.configDirectory);
}

// Where data.dat lives: --data-dir; beside the program in the build tree; in the user's data
// folder ($XDG_DATA_HOME/vornalo) when installed, where the program's folder is not the
// user's to write.
std::string DataDirectory(const AppOptions& options) {
  if (!options.dataDirectory.empty()) return options.dataDirectory;
  if (!ui::IsInstalled()) return ui::ExecutableDirectory();
  const char* xdg = std::getenv("XDG_DATA_HOME");
  const char* home = std::getenv("HOME");
  const std::filesystem::path base = xdg && *xdg == '/' ? std::filesystem::path(xdg)
                                                        : std::filesystem::path(home && *home ? home : ".") / ".local" / "share";
  const std::filesystem::path directory = base / "vornalo";
  std::error_code ec;
  std::filesystem::create_directories(directory, ec);
  if (ec) platform::DebugPrintf("data folder %s: %s", directory.c_str(), ec.message().c_str());
  return directory.string();
}

// The window options with the layout and zoom of the desktop window (ChooseDesktopLayout over
// the zoom the user chose last), and a hook that remembers each zoom the user chooses,
// counted in default screens. Headless runs keep the screen they were given.
platform::WindowOptions DesktopWindow(const platform::WindowOptions& given, platform::RegistryStore& store) {
  platform::WindowOptions options = given;
  int remembered = 0;
  const auto stored = store.Query(core::AppSettings::kRegistryKey, kWindowZoomValue);
  if (stored && stored->type == platform::RegistryValue::Type::Dword && stored->number >= 1 &&
      stored->number <= static_cast<std::uint32_t>(platform::WindowOptions::kMaxZoom)) {
    remembered = static_cast<int>(stored->number);
  }
  int unit = 1;
  if (options.headless) {
    if (options.zoom == 0) options.zoom = remembered;
  } else {
    const DesktopLayout layout =
        ChooseDesktopLayout(given, remembered, [&given] { return platform::DisplayZoom(given.screen.height); });
    options.screen = layout.screen;
    options.zoom = layout.zoom;
    unit = layout.zoomUnit;
  }
  options.zoomChanged = [&store, unit](int zoom) {
    const int counted = std::min(zoom * unit, platform::WindowOptions::kMaxZoom);
    store.SetValue(core::AppSettings::kRegistryKey, kWindowZoomValue, platform::RegistryValue::Dword(static_cast<std::uint32_t>(counted)));
  };
  return options;
}

// Installs the window's wait cursor for as long as it lives; the cursor ends with the window.
class WaitCursorInstall {
 public:
  explicit WaitCursorInstall(platform::Window& window) : host_(window) { previous_ = core::SetWaitCursorHost(&host_); }
  ~WaitCursorInstall() {
    core::EndWaitCursor();
    core::SetWaitCursorHost(previous_);
  }
  WaitCursorInstall(const WaitCursorInstall&) = delete;
  WaitCursorInstall& operator=(const WaitCursorInstall&) = delete;

 private:
  ui::WindowWaitCursor host_;
  core::WaitCursorHost* previous_ = nullptr;
};

// The process's blend buffer, installed while this lives.
class BlendBufferInstall {
 public:
  explicit BlendBufferInstall(std::unique_ptr<ui::BlendBuffer> buffer) : buffer_(std::move(buffer)) {
    ui::blendBuffer = buffer_.get();
  }
  ~BlendBufferInstall() { Free(); }
  BlendBufferInstall(const BlendBufferInstall&) = delete;
  BlendBufferInstall& operator=(const BlendBufferInstall&) = delete;

  void Free() {
    ui::blendBuffer = nullptr;
    buffer_.reset();
  }

 private:
  std::unique_ptr<ui::BlendBuffer> buffer_;
};

// Steps 1 to 20 of start-up, the message loop and teardown. Everything it builds is gone when
// it returns.
int RunEntryPoint(const AppOptions& options, const ApplicationParts& parts, core::AppSettings& settings) {
  // The featured request draws a random number for its URL.
  std::srand(static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()));

  const platform::WindowOptions windowOptions = DesktopWindow(options.window, settings.Store());
  core::MeasureScreen(windowOptions.screen.width, windowOptions.screen.height);
  ui::ConfigureResourcePaths(core::scaleFactor, options.resourceDirectory);
  platform::DebugPrintf("screen %dx%d: resolution code %d, scale %u, portrait %u", windowOptions.screen.width,
                        windowOptions.screen.height, core::resolutionCode, core::scaleFactor, core::isPortrait);

  SingleInstance singleInstance(options.instanceDirectory);
  if (singleInstance.Acquire() == SingleInstance::Outcome::kOtherRunning) {
    platform::DebugOutput("another instance runs; it was asked to raise its window");
    return 0;
  }

  // The window layer shows the start-up message boxes and the splash; the window itself
  // gets its procedure only once the checks have passed.
  std::string error;
  std::unique_ptr<platform::WindowHost> host =
      platform::WindowHost::Open(windowOptions, platform::Utf8ToUtf16(kWindowTitle), error);
  if (!host) {
    std::fprintf(stderr, "vornalo: %s\n", error.c_str());
    return kOpenFailedExitCode;
  }
  platform::Window& window = host->GetWindow();
  window.SetResources(VornaloResources());
  WaitCursorInstall waitCursor(window);
  const MessageBoxFunction messageBox = [&window](const std::string& caption, const std::string& text,
                                                  platform::MessageBoxButtons buttons) {
    return window.ShowMessageBox(platform::Utf8ToUtf16(caption), platform::Utf8ToUtf16(text), buttons);
  };

  DataNetwork dataNetwork(options.offline, messageBox);
  if (!dataNetwork.ConnectDataNetwork()) return 0;
  CatalogueHost catalogue;
  if (!catalogue.Start(options, error)) {
    std::fprintf(stderr, "vornalo: %s\n", error.c_str());
    return kOpenFailedExitCode;
  }

  if (parts.drawSplash) {
    parts.drawSplash(window);
    window.Present();
  }
  core::BeginWaitCursor();

  VersionCheck::Options versionOptions;
  versionOptions.serverUrl = catalogue.BaseUrl();
  versionOptions.resolutionCode = core::resolutionCode;
  versionOptions.timeoutMs = options.versionTimeoutMs;
  VersionCheck versionCheck(versionOptions, messageBox);
  bool connectionFailure = false;
  const int mustEnd = versionCheck.CheckVersion(connectionFailure);
  // On every early return the destructors release the single instance and the network.
  if (connectionFailure) return 0;
  if (mustEnd) {
    core::EndWaitCursor();
    return 0;
  }

  std::unique_ptr<ui::BlendBuffer> buffer = ui::BlendBuffer::Allocate(core::scaleFactor);
  if (!buffer) {
    messageBox(kMemoryLowCaption, kMemoryLowText, platform::MessageBoxButtons::kOk);
    return 0;
  }
  // What the screen's scale chose: the artwork folder and the blended draws' scratch size.
  platform::DebugPrintf("resources %s, blend buffer %zu bytes", ui::ResourceBaseDirectory().c_str(),
                        buffer->ByteSize());
  BlendBufferInstall blend(std::move(buffer));

  // Played tracks, kept to play again without the network. Their keys name the server the
  // same way on every start (the embedded server's address changes, its music folder not).
  catalogue::TrackCache trackCache(
      options.cacheDirectory.empty() ? catalogue::TrackCache::DefaultDirectory() : std::filesystem::path(options.cacheDirectory),
      std::uint64_t{options.cacheMegabytes} * catalogue::TrackCache::kBytesPerMegabyte,
      options.UsesEmbeddedServer() ? "embedded " + std::filesystem::absolute(options.library).lexically_normal().string()
                                   : options.serverUrl);
  AppContext context{window, settings, options, catalogue.BaseUrl(), DataDirectory(options), &trackCache};
  std::unique_ptr<platform::WindowProcedure> application =
      parts.makeApplication ? parts.makeApplication(context) : std::make_unique<ShellWindow>();
  if (!application || !window.Create(*application)) {
    messageBox(kProgramErrorCaption, kProgramErrorText, platform::MessageBoxButtons::kOk);
    blend.Free();
    return 0;
  }
  window.RequestRaise();
  singleInstance.SetRaiseHandler([&window] { window.RequestRaise(); });

  catalogue.StartBackgroundRescan();
  const int exitCode = host->RunMessageLoop();

  singleInstance.SetRaiseHandler(nullptr);
  if (window.IsCreated()) window.Destroy();  // the procedure must not outlive the object below
  application.reset();
  blend.Free();
  // Released before the embedded server stops: a start from now on runs a new instance.
  singleInstance.Close();
  catalogue.Stop();
  return exitCode;
}

}  // namespace

int RunVornalo(const AppOptions& options, const ApplicationParts& parts) {
  platform::SetDebugOutputEnabled(options.debug);
  platform::RegistryStore store(ConfigDirectory(options));
  core::AppSettings settings(store);
  const int exitCode = RunEntryPoint(options, parts, settings);
  if (settings.Save() != 0) platform::DebugOutput("settings could not be saved");
  return exitCode;
}

int SetCallCount(const AppOptions& options) {
  platform::RegistryStore store(ConfigDirectory(options));
  const bool ok = store.SetValue(kPhoneStateKey, kActiveCallCountValue, platform::RegistryValue::Dword(options.callCount));
  return ok ? 0 : 1;
}

}  // namespace app
