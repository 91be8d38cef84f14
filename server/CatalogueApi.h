#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <string>

#include "server/CatalogueQueries.h"
#include "server/HttpExchange.h"
#include "server/TranscodeCache.h"

namespace server {

struct CatalogueApiOptions {
  std::string apiKey;        // the "sk" every catalogue request must carry
  std::string versionReply;  // body of the version check ("" = nothing to do)
  std::string articleBase;   // TextCue location = articleBase + the name, as an article title
  std::string publicUrl;     // base of stream addresses; "" = http://<Host header>:<port>
  std::string listenHost;    // the address listened on, when a request names no usable host
};

// The catalogue HTTP API over an index: request in, reply out. No HTTP machinery here, so it
// runs the same behind the daemon and in tests.
//
//   /mobile/wm/downloads/version.php      plain text, the configured version reply
//   /api/wm_app/getAllFeaturedCueLists    XML, featured CueLists, paged with s and n
//   /api/wm_app/getPlaylist               XML, the tracks of playlist_id in playlist order
//   /api/wm_app/search                    XML, AudioCues, CueLists and TextCues for q
//   /api/wm_app/results                   plain text, the stream URL of mp3_url_id or "not_available"
//   /stream/<track id>.mp3                the MP3 file, or the MP3 made from a file of another
//                                         format; Content-Length and byte ranges either way
//   /playlist/<playlist id>.m3u           a playlist's stream URLs as M3U
class CatalogueApi {
 public:
  // transcodes: serves the tracks that are not MP3 files (null: they are not found).
  CatalogueApi(CatalogueQueries& queries, std::filesystem::path root, CatalogueApiOptions options,
               TranscodeCache* transcodes = nullptr);

  // The port the daemon bound; part of the stream addresses.
  void SetPort(uint16_t port) { port_ = port; }
  HttpReply Handle(const HttpRequest& request);
  // listenHost as it goes into a URL: an IPv6 address in brackets, a wildcard address ("::" or
  // "0.0.0.0", both dual-stack) as 127.0.0.1.
  static std::string UrlHost(const std::string& listenHost);

  static constexpr int64_t kMaxPageSize = 100;
  static constexpr int64_t kDefaultPageSize = 10;
  static constexpr int64_t kMaxStart = 1000000000;
  // Matches of one kind beyond this many come in index order, not ranked (see Search).
  static constexpr int64_t kMaxRankedMatches = 2000;
  static constexpr const char* kNotAvailable = "not_available";

 private:
  HttpReply Featured(const HttpRequest& request);
  HttpReply PlaylistTracks(const HttpRequest& request);
  HttpReply Search(const HttpRequest& request);
  HttpReply StreamUrl(const HttpRequest& request);
  HttpReply Stream(const HttpRequest& request, int64_t trackId);
  HttpReply PlaylistFile(const HttpRequest& request, int64_t playlistId);

  bool KeyAccepted(const HttpRequest& request) const;
  std::string BaseUrl(const HttpRequest& request) const;

  CatalogueQueries& queries_;
  std::filesystem::path root_;
  CatalogueApiOptions options_;
  TranscodeCache* transcodes_;
  // Set once after the daemon bound its port; read by the daemon's thread.
  std::atomic<uint16_t> port_{0};
};

}  // namespace server
