#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/audio/PcmSinkChoice.h"
#include "platform/sdl2/WindowHost.h"

namespace app {

// The command line of `vornalo`.
struct AppOptions {
  using AudioOutput = platform::PcmSinkKind;
  enum class Outcome { kRun, kHelp, kSetCallCount, kError };

  static constexpr std::int32_t kDefaultVersionTimeoutMs = 7500;
  static constexpr std::int32_t kMaxVersionTimeoutMs = 600000;
  static constexpr std::uint32_t kDefaultCacheMegabytes = 1024;
  static constexpr std::uint32_t kMaxCacheMegabytes = 1024 * 1024;

  platform::WindowOptions window;  // --screen, --zoom, --headless, --script, --screenshot-dir
  std::string serverUrl;           // --server: "http://host[:port]"; empty: embed a server
  std::string library;             // --library, or the demo library built with the program
  std::string dataDirectory;       // --data-dir; empty: beside the executable
  std::string configDirectory;     // --config-dir; empty: the settings store's default
  std::string resourceDirectory;   // --resources; empty: qvga/ or vga/ beside the executable
  // --cache-dir: where played tracks are kept; empty: $XDG_CACHE_HOME/vornalo/tracks.
  std::string cacheDirectory;
  // --cache-mb: the size bound of the played tracks kept; 0 keeps none.
  std::uint32_t cacheMegabytes = kDefaultCacheMegabytes;
  AudioOutput audio = AudioOutput::kSdl;  // --audio; null when headless unless given
  std::string wavPath;             // --audio wav:FILE or wav-realtime:FILE
  bool debug = false;              // --debug
  bool offline = false;            // --offline: the data connection cannot be established
  std::uint32_t callCount = 0;     // --set-call-count N
  // --version-timeout MS (for tests): how long the version check waits for the server.
  std::int32_t versionTimeoutMs = kDefaultVersionTimeoutMs;
  // Where the single-instance socket lives; empty: the user's runtime directory. Not on the
  // command line: tests give each run its own.
  std::string instanceDirectory;

  bool UsesEmbeddedServer() const { return serverUrl.empty(); }
};

// The embedded server's default music folder: the demo library the build generated, or its
// installed copy.
std::string DefaultLibraryDirectory();

// Reads the arguments (without the program name). kError leaves the reason in `error`.
AppOptions::Outcome ParseAppOptions(const std::vector<std::string>& arguments, AppOptions& options,
                                    std::string& error);

// The --help text.
const char* AppUsage();

}  // namespace app
