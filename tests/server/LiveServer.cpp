#include "tests/server/LiveServer.h"

namespace servertest {
namespace {

std::string Common(const std::string& key) { return "&sk=" + key + "&v=1.4&di=dGVzdA=="; }

}  // namespace

std::string SearchTarget(const std::string& encodedQuery, int s, int n, int kinds, const std::string& key) {
  return "/api/wm_app/search?q=" + encodedQuery + "&rm=" + std::to_string(kinds & 1) +
         "&rp=" + std::to_string((kinds >> 1) & 1) + "&rv=0&rt=" + std::to_string((kinds >> 2) & 1) +
         "&s=" + std::to_string(s) + "&n=" + std::to_string(n) + Common(key);
}

std::string FeaturedTarget(int s, int n, const std::string& key) {
  return "/api/wm_app/getAllFeaturedCueLists?random=1234&s=" + std::to_string(s) + "&n=" + std::to_string(n) +
         Common(key);
}

std::string PlaylistTarget(const std::string& playlistId, const std::string& key) {
  return "/api/wm_app/getPlaylist?playlist_id=" + playlistId + Common(key);
}

std::string ResultsTarget(const std::string& mp3UrlId, const std::string& key) {
  return "/api/wm_app/results?mp3_url_id=" + mp3UrlId + Common(key);
}

LiveServer::LiveServer(const TestLibrary& library, unsigned timeoutSeconds, const std::string& versionReply) {
  server::ServerOptions options;
  options.library = library.Root();
  options.apiKey = kTestKey;
  options.timeoutSeconds = timeoutSeconds;
  options.versionReply = versionReply;
  started_ = server_.Start(options);
}

}  // namespace servertest
