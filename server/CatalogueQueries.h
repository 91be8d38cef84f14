#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "server/CatalogueRows.h"
#include "server/SqliteDatabase.h"

namespace server {

// Read-only queries over a CatalogueIndex's connection. A match expression comes from
// SearchQuery::MatchExpression; an empty one matches nothing. Results are ranked with bm25
// (tracks: title above album above creator) and paged with offset and limit; with ranked false
// they come in index order instead, for match sets too large to rank quickly. A query that
// fails yields no rows and a count of 0. Counts are remembered until the index changes: paging
// through a broad search counts the same matches for every page. Not thread-safe: one thread
// (the daemon's) uses an object.
class CatalogueQueries {
 public:
  explicit CatalogueQueries(SqliteDatabase& db) : db_(db) {}
  SqliteDatabase& Database() { return db_; }
  // On by default; off only to measure what remembering counts saves.
  void SetCountCaching(bool on) { cacheCounts_ = on; }

  int64_t CountTracks(const std::string& match);
  std::vector<TrackRow> SearchTracks(const std::string& match, int64_t offset, int64_t limit, bool ranked = true);
  int64_t CountPlaylists(const std::string& match);
  std::vector<PlaylistRow> SearchPlaylists(const std::string& match, int64_t offset, int64_t limit,
                                           bool ranked = true);
  int64_t CountNames(const std::string& match);
  std::vector<NameRow> SearchNames(const std::string& match, int64_t offset, int64_t limit, bool ranked = true);

  // Featured CueLists, newest publish date first.
  int64_t CountFeatured();
  std::vector<PlaylistRow> Featured(int64_t offset, int64_t limit);

  std::optional<PlaylistRow> PlaylistById(int64_t id);
  // The indexed tracks of a playlist in playlist order (entries that are not indexed are left out).
  std::vector<TrackRow> PlaylistTracks(int64_t playlistId);
  std::optional<TrackRow> TrackById(int64_t id);

 private:
  int64_t Count(const char* sql, const std::string& match);

  static constexpr size_t kMaxCachedCounts = 4096;

  SqliteDatabase& db_;
  bool cacheCounts_ = true;
  int64_t countsVersion_ = -1;                         // the index version counts_ holds for
  std::unordered_map<std::string, int64_t> counts_;  // (query text + match) -> count
};

}  // namespace server
