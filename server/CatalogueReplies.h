#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "server/CatalogueRows.h"

namespace server {

struct SearchResults {
  int64_t total = 0;  // matches of every asked-for kind, over all pages
  std::vector<NameRow> names;
  std::vector<PlaylistRow> playlists;
  std::vector<TrackRow> tracks;
};

// The reply documents of the catalogue API. base is the server's URL ("http://host:port").
class CatalogueReplies {
 public:
  static std::string Error(const std::string& message);
  static std::string Featured(int64_t total, const std::vector<PlaylistRow>& playlists, const std::string& base);
  static std::string Tracks(const std::vector<TrackRow>& tracks, const std::string& base);
  static std::string Search(const SearchResults& results, const std::string& base, const std::string& articleBase);
  static std::string M3u(const PlaylistRow& playlist, const std::vector<TrackRow>& tracks, const std::string& base);

  static std::string StreamUrl(const std::string& base, int64_t trackId);
  static std::string PlaylistUrl(const std::string& base, int64_t playlistId);
  // articleBase + the name as an article title: spaces as '_', other unsafe bytes %-escaped.
  static std::string ArticleUrl(const std::string& articleBase, const std::string& name);
};

}  // namespace server
