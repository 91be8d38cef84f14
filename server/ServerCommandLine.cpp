#include "server/ServerCommandLine.h"

#include <cstdio>
#include <cstdlib>
#include <system_error>

#include "server/Mp3Layout.h"

namespace server {
namespace {

constexpr unsigned kMaxTimeoutSeconds = 3600;
constexpr unsigned kMaxRescanMinutes = 7 * 24 * 60;
constexpr unsigned kMaxBitrate = 320;
constexpr unsigned long kMaxCacheMiB = 1024ul * 1024;  // 1 TiB

bool ParseUnsigned(const std::string& text, unsigned long maximum, unsigned long& value) {
  if (text.empty() || text.size() > 10) return false;
  value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<unsigned long>(c - '0');
  }
  return value <= maximum;
}

}  // namespace

const char* ServerCommandLine::Usage() {
  return "usage: vornalo-server --library DIR [options]\n"
         "\n"
         "Indexes the audio files and .m3u/.m3u8/.pls playlists under DIR (playlists under\n"
         "DIR/featured/ are the featured CueLists) and serves the Vornalo catalogue API and the\n"
         "streams: MP3 files as they are; FLAC, Ogg Vorbis, Opus, AAC/ALAC (.m4a) and WAV files as\n"
         "MP3 made from them.\n"
         "\n"
         "  --library DIR         the music folder (required)\n"
         "  --host ADDR           IPv4 or IPv6 address to listen on (default 127.0.0.1;\n"
         "                        :: or 0.0.0.0 for all interfaces, IPv4 and IPv6)\n"
         "  --port N              port to listen on (default 8080; 0 picks a free one)\n"
         "  --db FILE             index database (default: in the user's cache folder)\n"
         "  --api-key KEY         the \"sk\" clients must send (default: the client's built-in key)\n"
         "  --version-reply TEXT  reply of the version check, e.g. \"optional,http://host/new\"\n"
         "                        (default: empty, nothing to do)\n"
         "  --article-base URL    TextCue article addresses start with this\n"
         "                        (default https://en.wikipedia.org/wiki/)\n"
         "  --public-url URL      base of stream addresses when clients reach the server through\n"
         "                        another address (default: http://<host asked for>:<port>)\n"
         "  --timeout SECONDS     close connections idle or stalled this long (default 30)\n"
         "  --rescan-interval MIN rescan the whole library every MIN minutes (default 0: only\n"
         "                        when files change, or on SIGHUP)\n"
         "  --no-watch            do not watch the library for changes (inotify); for file\n"
         "                        systems that do not report them, with --rescan-interval\n"
         "  --transcode-bitrate K bit rate of the MP3 made from other formats, kbit/s, constant\n"
         "                        (32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256 or\n"
         "                        320; default 256)\n"
         "  --transcode-cache-mb N keep at most N MiB of finished transcodes beside the index\n"
         "                        (default 1024; the least recently used go first)\n"
         "  --debug               log to stderr\n"
         "  --help                show this text\n";
}

std::string ServerCommandLine::DefaultDatabasePath(const std::filesystem::path& library) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(library, error);
  uint64_t hash = 14695981039346656037ull;
  for (const unsigned char c : absolute.lexically_normal().string()) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  std::filesystem::path cache;
  if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg) {
    cache = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    cache = std::filesystem::path(home) / ".cache";
  } else {
    cache = std::filesystem::temp_directory_path(error);
  }
  cache /= "vornalo";
  std::filesystem::create_directories(cache, error);
  char name[48];
  std::snprintf(name, sizeof name, "index-%016llx.sqlite", static_cast<unsigned long long>(hash));
  return (cache / name).string();
}

ServerCommandLine::Outcome ServerCommandLine::Parse(const std::vector<std::string>& arguments,
                                                    ServerOptions& options, bool& debug, std::string& error) {
  options.port = 8080;
  debug = false;
  bool haveDb = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& name = arguments[i];
    if (name == "--help" || name == "-h") return Outcome::kHelp;
    if (name == "--debug") {
      debug = true;
      continue;
    }
    if (name == "--no-watch") {
      options.watch = false;
      continue;
    }
    if (i + 1 >= arguments.size()) {
      error = name.rfind("--", 0) == 0 ? "missing value after " + name : "unknown argument " + name;
      return Outcome::kError;
    }
    const std::string& value = arguments[++i];
    unsigned long number = 0;
    if (name == "--library") {
      options.library = value;
    } else if (name == "--host") {
      options.host = value;
    } else if (name == "--port") {
      if (!ParseUnsigned(value, 65535, number)) {
        error = "bad port " + value;
        return Outcome::kError;
      }
      options.port = static_cast<uint16_t>(number);
    } else if (name == "--db") {
      options.dbPath = value;
      haveDb = true;
    } else if (name == "--api-key") {
      options.apiKey = value;
    } else if (name == "--version-reply") {
      options.versionReply = value;
    } else if (name == "--article-base") {
      options.articleBase = value;
    } else if (name == "--public-url") {
      options.publicUrl = value;
      while (!options.publicUrl.empty() && options.publicUrl.back() == '/') options.publicUrl.pop_back();
    } else if (name == "--timeout") {
      if (!ParseUnsigned(value, kMaxTimeoutSeconds, number) || number == 0) {
        error = "bad time-out " + value;
        return Outcome::kError;
      }
      options.timeoutSeconds = static_cast<unsigned>(number);
    } else if (name == "--rescan-interval") {
      if (!ParseUnsigned(value, kMaxRescanMinutes, number)) {
        error = "bad rescan interval " + value;
        return Outcome::kError;
      }
      options.rescanInterval = std::chrono::minutes(number);
    } else if (name == "--transcode-bitrate") {
      if (!ParseUnsigned(value, kMaxBitrate, number) || !Mp3Layout::IsBitrate(static_cast<int>(number))) {
        error = "bad transcode bit rate " + value;
        return Outcome::kError;
      }
      options.transcodeBitrate = static_cast<int>(number);
    } else if (name == "--transcode-cache-mb") {
      if (!ParseUnsigned(value, kMaxCacheMiB, number)) {
        error = "bad transcode cache size " + value;
        return Outcome::kError;
      }
      options.transcodeCacheBytes = static_cast<int64_t>(number) * 1024 * 1024;
    } else {
      error = "unknown argument " + name;
      return Outcome::kError;
    }
  }
  if (options.library.empty()) {
    error = "--library DIR is required";
    return Outcome::kError;
  }
  if (!haveDb) options.dbPath = DefaultDatabasePath(options.library);
  return Outcome::kRun;
}

}  // namespace server
