#include "app/AppOptions.h"

#include <charconv>

#include "ui/ResourcePaths.h"

namespace app {

namespace {

constexpr std::uint32_t kMaxCallCount = 1000;

bool ParseUnsigned(const std::string& text, std::uint32_t& value) {
  const char* end = text.data() + text.size();
  auto result = std::from_chars(text.data(), end, value);
  return !text.empty() && result.ec == std::errc() && result.ptr == end;
}

// "http://host[:port]" with any trailing slashes dropped; false for anything else.
bool NormalizeServerUrl(std::string url, std::string& out) {
  constexpr std::string_view kScheme = "http://";
  if (url.compare(0, kScheme.size(), kScheme) != 0) return false;
  while (url.size() > kScheme.size() && url.back() == '/') url.pop_back();
  const std::string_view rest = std::string_view(url).substr(kScheme.size());
  if (rest.empty() || rest.find('/') != std::string_view::npos) return false;
  for (char c : rest) {
    if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F) return false;
  }
  out = url;
  return true;
}

}  // namespace

std::string DefaultLibraryDirectory() {
  return ui::IsInstalled() ? ui::ProgramDataDirectory() + "/demo-library" : VORNALO_DEFAULT_LIBRARY;
}

const char* AppUsage() {
  return "usage: vornalo [options]\n"
         "\n"
         "The Vornalo Mobile client in a phone-sized window. Without a server option it embeds a\n"
         "catalogue server over the demo library built with it.\n"
         "\n"
         "  --server URL        use the catalogue server at URL (http://host:port)\n"
         "  --library DIR       embed a catalogue server over the music folder DIR\n"
         "  --screen WxH        the phone screen's size in pixels (default 240x320)\n"
         "  --zoom N            show the screen N times larger on the desktop (1 to 8; default:\n"
         "                      the last chosen with Ctrl+Plus/Minus, or the largest that fits;\n"
         "                      without --screen a zoom of 2 or more shows 480x640 at half of it)\n"
         "  --headless          run without a display; message boxes are logged\n"
         "  --script FILE       run a script of user actions headless (implies --headless)\n"
         "  --windowed          run the script in the desktop window instead\n"
         "  --soak              acknowledge each script line and go on after a failed one\n"
         "  --screenshot-dir DIR  where F12 and the script save screenshots\n"
         "  --data-dir DIR      where the Current Playlist file data.dat lives\n"
         "                      (default: beside the program)\n"
         "  --config-dir DIR    where the settings live (default: $XDG_CONFIG_HOME/vornalo)\n"
         "  --resources DIR     the image folder to use instead of qvga/ or vga/\n"
         "  --cache-mb N        keep up to N MiB of played tracks to play again without the\n"
         "                      network (default 1024; 0 keeps none)\n"
         "  --cache-dir DIR     where they are kept (default: $XDG_CACHE_HOME/vornalo/tracks)\n"
         "  --audio OUT         sdl, null, wav:FILE (what is played, one file a format) or\n"
         "                      wav-realtime:FILE (what a listener hears, silence included)\n"
         "                      (default sdl; null when headless)\n"
         "  --debug             write debug output to standard error\n"
         "  --offline           act as if no data connection can be established\n"
         "  --set-call-count N  set the phone's active call count to N and exit\n"
         "  --version-timeout MS  how long the version check waits (default 7500)\n"
         "  --help              show this text\n"
         "\n"
         "Keys: F1/F2 the soft keys, Ctrl+Q exit, Ctrl+A about, Ctrl+R rotate, F12 screenshot;\n"
         "on the Player tab [ and ] go 10 s back and forward in the track.\n";
}

AppOptions::Outcome ParseAppOptions(const std::vector<std::string>& arguments, AppOptions& options,
                                    std::string& error) {
  std::vector<std::string> args = arguments;
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h") return AppOptions::Outcome::kHelp;
  }
  if (!platform::ParseWindowOptions(args, options.window, error)) return AppOptions::Outcome::kError;

  bool audioGiven = false;
  bool setCallCount = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool takesValue = arg == "--server" || arg == "--library" || arg == "--data-dir" ||
                            arg == "--config-dir" || arg == "--resources" || arg == "--audio" ||
                            arg == "--set-call-count" || arg == "--version-timeout" || arg == "--cache-mb" ||
                            arg == "--cache-dir";
    if (takesValue && (i + 1 >= args.size() || args[i + 1].empty())) {
      error = arg + " needs a value";
      return AppOptions::Outcome::kError;
    }
    if (arg == "--server") {
      if (!NormalizeServerUrl(args[++i], options.serverUrl)) {
        error = "--server expects http://host[:port]: " + args[i];
        return AppOptions::Outcome::kError;
      }
    } else if (arg == "--library") {
      options.library = args[++i];
    } else if (arg == "--data-dir") {
      options.dataDirectory = args[++i];
    } else if (arg == "--config-dir") {
      options.configDirectory = args[++i];
    } else if (arg == "--resources") {
      options.resourceDirectory = args[++i];
    } else if (arg == "--audio") {
      const std::string& value = args[++i];
      audioGiven = true;
      const std::optional<platform::PcmSinkChoice> choice = platform::ParsePcmSinkChoice(value);
      if (!choice) {
        error = "--audio expects sdl, null, wav:FILE or wav-realtime:FILE: " + value;
        return AppOptions::Outcome::kError;
      }
      options.audio = choice->kind;
      options.wavPath = choice->wavPath;
    } else if (arg == "--set-call-count") {
      if (!ParseUnsigned(args[++i], options.callCount) || options.callCount > kMaxCallCount) {
        error = "--set-call-count expects a number from 0 to 1000: " + args[i];
        return AppOptions::Outcome::kError;
      }
      setCallCount = true;
    } else if (arg == "--version-timeout") {
      std::uint32_t ms = 0;
      if (!ParseUnsigned(args[++i], ms) || ms < 1 || ms > AppOptions::kMaxVersionTimeoutMs) {
        error = "--version-timeout expects 1 to 600000 milliseconds: " + args[i];
        return AppOptions::Outcome::kError;
      }
      options.versionTimeoutMs = static_cast<std::int32_t>(ms);
    } else if (arg == "--cache-dir") {
      options.cacheDirectory = args[++i];
    } else if (arg == "--cache-mb") {
      if (!ParseUnsigned(args[++i], options.cacheMegabytes) || options.cacheMegabytes > AppOptions::kMaxCacheMegabytes) {
        error = "--cache-mb expects 0 to 1048576 MiB: " + args[i];
        return AppOptions::Outcome::kError;
      }
    } else if (arg == "--debug") {
      options.debug = true;
    } else if (arg == "--offline") {
      options.offline = true;
    } else {
      error = "unknown option " + arg;
      return AppOptions::Outcome::kError;
    }
  }
  if (!options.serverUrl.empty() && !options.library.empty()) {
    error = "--server and --library exclude each other";
    return AppOptions::Outcome::kError;
  }
  if (options.serverUrl.empty() && options.library.empty()) options.library = DefaultLibraryDirectory();
  if (!audioGiven && options.window.headless) options.audio = AppOptions::AudioOutput::kNull;
  return setCallCount ? AppOptions::Outcome::kSetCallCount : AppOptions::Outcome::kRun;
}

}  // namespace app
