#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>

#include "server/LibraryScanner.h"

namespace server {

// The API key built into the client; the server's default "sk".
extern const char* const kBuiltInApiKey;

// English encyclopedia article addresses: the default base of TextCue locations.
inline constexpr const char* kDefaultArticleBase = "https://en.wikipedia.org/wiki/";

struct ServerOptions {
  std::filesystem::path library;  // the music folder
  std::string host = "127.0.0.1";
  uint16_t port = 0;              // 0: an ephemeral port
  std::string dbPath;             // "" : a private index file, rebuilt on every start
  std::string apiKey = kBuiltInApiKey;
  std::string versionReply;
  std::string articleBase = kDefaultArticleBase;
  std::string publicUrl;          // "" : stream URLs name the host the client asked for
  unsigned timeoutSeconds = 30;   // idle or stalled connections are closed after this
  LibraryScanner::Progress progress;  // told of each scanned file, may be empty
  LibraryScanner::Log log;            // problems with single files; empty: the debug log
  bool watch = true;                  // rescan what changes (inotify) while running
  std::chrono::milliseconds settle{2000};  // quiet time after a change before its rescan
  std::chrono::minutes rescanInterval{0};  // full rescans this often; 0: never
  // Serve a stored index (dbPath) as it is at once and leave its rescan for RescanNow(). An
  // index that is new or was rebuilt is still scanned before serving.
  bool deferScan = false;
  // Files of other formats are served as MP3 made at this constant bit rate (an MPEG-1
  // Layer III rate, 32 to 320).
  int transcodeBitrate = 256;
  // Finished transcodes kept at most (the least recently used go first).
  int64_t transcodeCacheBytes = int64_t{1024} * 1024 * 1024;
  // Where they are kept; "": a folder beside the index (dbPath + ".transcodes").
  std::filesystem::path transcodeFolder;
  unsigned transcodeWorkers = 4;  // transcodes at the same time; more wait their turn
};

}  // namespace server
