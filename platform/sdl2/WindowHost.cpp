#include "platform/sdl2/WindowHost.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/TextCodec.h"
#include "platform/headless/HeadlessBackend.h"
#include "platform/sdl2/SdlBackend.h"
#include "platform/window/ScriptDriver.h"

namespace platform {
namespace {

bool ParseNumber(const std::string& text, std::int32_t& value) {
  const char* end = text.data() + text.size();
  auto result = std::from_chars(text.data(), end, value);
  return result.ec == std::errc() && result.ptr == end;
}

}  // namespace

int AutomaticZoom(std::int32_t screenHeight, std::int32_t usableHeight) {
  if (screenHeight <= 0) return 1;
  const std::int64_t fits = std::int64_t{usableHeight} * 85 / (std::int64_t{screenHeight} * 100);
  return static_cast<int>(std::clamp<std::int64_t>(fits, 1, WindowOptions::kMaxZoom));
}

int DisplayZoom(std::int32_t screenHeight) { return SdlBackend::DisplayZoom(screenHeight); }

bool ParseWindowOptions(std::vector<std::string>& args, WindowOptions& options, std::string& error) {
  std::vector<std::string> rest;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool takesValue = arg == "--screen" || arg == "--zoom" || arg == "--script" || arg == "--screenshot-dir";
    if (takesValue && i + 1 >= args.size()) {
      error = arg + " needs a value";
      return false;
    }
    if (arg == "--screen") {
      const std::string& value = args[++i];
      std::size_t x = value.find('x');
      std::int32_t w = 0, h = 0;
      if (x == std::string::npos || !ParseNumber(value.substr(0, x), w) || !ParseNumber(value.substr(x + 1), h) ||
          w < WindowOptions::kMinScreenSide || h < WindowOptions::kMinScreenSide ||
          w > WindowOptions::kMaxScreenSide || h > WindowOptions::kMaxScreenSide) {
        error = "--screen expects WIDTHxHEIGHT, each side 120 to 2048: " + value;
        return false;
      }
      options.screen = Size{w, h};
      options.screenGiven = true;
    } else if (arg == "--zoom") {
      std::int32_t zoom = 0;
      if (!ParseNumber(args[++i], zoom) || zoom < 1 || zoom > WindowOptions::kMaxZoom) {
        error = "--zoom expects 1 to 8: " + args[i];
        return false;
      }
      options.zoom = zoom;
    } else if (arg == "--headless") {
      options.headless = true;
    } else if (arg == "--script") {
      options.script = args[++i];
      options.headless = true;
    } else if (arg == "--windowed") {
      options.windowed = true;
    } else if (arg == "--soak") {
      options.soak = true;
    } else if (arg == "--screenshot-dir") {
      options.screenshotDirectory = args[++i];
    } else {
      rest.push_back(arg);
    }
  }
  args = std::move(rest);
  if (options.windowed) options.headless = false;
  return true;
}

std::unique_ptr<WindowHost> WindowHost::Open(const WindowOptions& options, const std::u16string& title,
                                             std::string& error) {
  std::unique_ptr<WindowHost> host(new WindowHost());
  if (options.headless) {
    auto headless = std::make_unique<HeadlessBackend>();
    host->headless_ = headless.get();
    host->backend_ = std::move(headless);
    if (!options.script.empty()) {
      std::ifstream in(options.script);
      if (!in) {
        error = "cannot read the script " + options.script;
        return nullptr;
      }
      std::ostringstream text;
      text << in.rdbuf();
      host->scriptPath_ = options.script;
      host->scriptText_ = text.str();
      std::istringstream leading(host->scriptText_);
      ScriptDriver::QueueLeadingAnswers(leading, *host->headless_);
    }
  } else {
    host->backend_ = SdlBackend::Create(options.screen, options.zoom, Utf16ToUtf8(title), error, options.zoomChanged);
    if (!host->backend_) return nullptr;
    if (!options.script.empty()) {
      std::ifstream in(options.script);
      if (!in) {
        error = "cannot read the script " + options.script;
        return nullptr;
      }
      std::ostringstream text;
      text << in.rdbuf();
      host->scriptPath_ = options.script;
      host->scriptText_ = text.str();
    }
  }
  host->window_ = std::make_unique<Window>(*host->backend_, options.screen, title);
  host->window_->SetScreenshotDirectory(options.screenshotDirectory);
  host->soak_ = options.soak;
  return host;
}

WindowHost::~WindowHost() {
  window_.reset();  // before the backend it borrows
}

int WindowHost::RunMessageLoop() {
  if (!scriptPath_.empty()) {
    ScriptDriver driver(*window_, headless_);
    driver.SetSoak(soak_);
    std::istringstream script(scriptText_);
    const int exitCode = driver.Run(script, scriptPath_);
    if (!driver.Error().empty()) std::fprintf(stderr, "%s\n", driver.Error().c_str());
    return exitCode;
  }
  return window_->Run();
}

}  // namespace platform
