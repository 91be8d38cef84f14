#include "server/CatalogueQueries.h"

namespace server {
namespace {

constexpr const char* kTrackColumns =
    "t.id, t.path, t.title, t.creator, t.album, t.genre, t.composer, t.bitrate, t.length_ms";

// Entries of playlist p that resolve to an indexed track.
constexpr const char* kItemCount =
    "(SELECT count(*) FROM playlist_entries e JOIN tracks x ON x.path = e.path WHERE e.playlist_id = p.id)";

TrackRow ReadTrack(const SqliteStatement& row) {
  TrackRow track;
  track.id = row.ColumnInt(0);
  track.path = row.ColumnText(1);
  track.title = row.ColumnText(2);
  track.creator = row.ColumnText(3);
  track.album = row.ColumnText(4);
  track.genre = row.ColumnText(5);
  track.composer = row.ColumnText(6);
  track.bitrateKbps = row.ColumnInt(7);
  track.lengthMs = row.ColumnInt(8);
  return track;
}

PlaylistRow ReadPlaylist(const SqliteStatement& row) {
  PlaylistRow playlist;
  playlist.id = row.ColumnInt(0);
  playlist.path = row.ColumnText(1);
  playlist.title = row.ColumnText(2);
  playlist.publishDate = row.ColumnText(3);
  playlist.uid = row.ColumnText(4);
  playlist.featured = row.ColumnInt(5) != 0;
  playlist.itemCount = row.ColumnInt(6);
  return playlist;
}

// The inner query of a page: the matches of ?1 in table, as (id, score), in page order. They are
// ranked and cut to the page inside the FTS table, so only the page's rows are joined after.
// Unranked, FTS5 walks its doclist in rowid order and stops at the page: no sort at all.
std::string PageOrder(const char* table, const char* bm25, bool ranked) {
  const std::string where = std::string(" FROM ") + table + " WHERE " + table + " MATCH ?1";
  return ranked ? std::string(bm25) + " AS score" + where + " ORDER BY score, rowid"
                : "rowid AS score" + where + " ORDER BY rowid";
}

std::string PlaylistSelect() {
  return std::string("SELECT p.id, p.path, p.title, p.publish_date, p.uid, p.featured, ") + kItemCount;
}

}  // namespace

int64_t CatalogueQueries::Count(const char* sql, const std::string& match) {
  if (match.empty()) return 0;
  if (!cacheCounts_) counts_.clear();
  const int64_t version = db_.Version();
  if (version != countsVersion_ || counts_.size() >= kMaxCachedCounts) {
    counts_.clear();
    countsVersion_ = version;
  }
  const std::string key = std::string(sql) + '\0' + match;
  if (const auto known = counts_.find(key); known != counts_.end()) return known->second;
  SqliteStatement count = db_.Prepare(sql);
  count.Bind(1, match);
  if (!count.Step()) return 0;  // a failure is not remembered
  return counts_[key] = count.ColumnInt(0);
}

int64_t CatalogueQueries::CountTracks(const std::string& match) {
  return Count("SELECT count(*) FROM tracks_fts WHERE tracks_fts MATCH ?1", match);
}

std::vector<TrackRow> CatalogueQueries::SearchTracks(const std::string& match, int64_t offset, int64_t limit,
                                                     bool ranked) {
  std::vector<TrackRow> rows;
  if (match.empty() || limit <= 0) return rows;
  SqliteStatement search = db_.Prepare(
      std::string("SELECT ") + kTrackColumns + " FROM (SELECT rowid AS id, " +
      PageOrder("tracks_fts", "bm25(tracks_fts, 10.0, 4.0, 2.0, 1.0, 1.0)", ranked) +
      " LIMIT ?2 OFFSET ?3) m JOIN tracks t ON t.id = m.id ORDER BY m.score, m.id");
  search.Bind(1, match);
  search.Bind(2, limit);
  search.Bind(3, offset);
  while (search.Step()) rows.push_back(ReadTrack(search));
  return rows;
}

int64_t CatalogueQueries::CountPlaylists(const std::string& match) {
  return Count("SELECT count(*) FROM playlists_fts WHERE playlists_fts MATCH ?1", match);
}

std::vector<PlaylistRow> CatalogueQueries::SearchPlaylists(const std::string& match, int64_t offset,
                                                           int64_t limit, bool ranked) {
  std::vector<PlaylistRow> rows;
  if (match.empty() || limit <= 0) return rows;
  SqliteStatement search = db_.Prepare(PlaylistSelect() + " FROM (SELECT rowid AS id, " +
                                       PageOrder("playlists_fts", "bm25(playlists_fts)", ranked) +
                                       " LIMIT ?2 OFFSET ?3) m JOIN playlists p ON p.id = m.id"
                                       " ORDER BY m.score, m.id");
  search.Bind(1, match);
  search.Bind(2, limit);
  search.Bind(3, offset);
  while (search.Step()) rows.push_back(ReadPlaylist(search));
  return rows;
}

int64_t CatalogueQueries::CountNames(const std::string& match) {
  return Count("SELECT count(*) FROM names_fts WHERE names_fts MATCH ?1", match);
}

std::vector<NameRow> CatalogueQueries::SearchNames(const std::string& match, int64_t offset, int64_t limit,
                                                   bool ranked) {
  std::vector<NameRow> rows;
  if (match.empty() || limit <= 0) return rows;
  SqliteStatement search = db_.Prepare("SELECT n.id, n.name FROM (SELECT rowid AS id, " +
                                       PageOrder("names_fts", "bm25(names_fts)", ranked) +
                                       " LIMIT ?2 OFFSET ?3) m JOIN names n ON n.id = m.id ORDER BY m.score, m.id");
  search.Bind(1, match);
  search.Bind(2, limit);
  search.Bind(3, offset);
  while (search.Step()) rows.push_back(NameRow{search.ColumnInt(0), search.ColumnText(1)});
  return rows;
}

int64_t CatalogueQueries::CountFeatured() {
  SqliteStatement count = db_.Prepare("SELECT count(*) FROM playlists WHERE featured = 1");
  return count.Step() ? count.ColumnInt(0) : 0;
}

std::vector<PlaylistRow> CatalogueQueries::Featured(int64_t offset, int64_t limit) {
  std::vector<PlaylistRow> rows;
  if (limit <= 0) return rows;
  SqliteStatement select = db_.Prepare(PlaylistSelect() +
                                       " FROM playlists p WHERE p.featured = 1"
                                       " ORDER BY p.publish_date, p.title, p.id LIMIT ?1 OFFSET ?2");
  select.Bind(1, limit);
  select.Bind(2, offset);
  while (select.Step()) rows.push_back(ReadPlaylist(select));
  return rows;
}

std::optional<PlaylistRow> CatalogueQueries::PlaylistById(int64_t id) {
  SqliteStatement select = db_.Prepare(PlaylistSelect() + " FROM playlists p WHERE p.id = ?1");
  select.Bind(1, id);
  if (!select.Step()) return std::nullopt;
  return ReadPlaylist(select);
}

std::vector<TrackRow> CatalogueQueries::PlaylistTracks(int64_t playlistId) {
  std::vector<TrackRow> rows;
  SqliteStatement select = db_.Prepare(std::string("SELECT ") + kTrackColumns +
                                       " FROM playlist_entries e JOIN tracks t ON t.path = e.path"
                                       " WHERE e.playlist_id = ?1 ORDER BY e.position");
  select.Bind(1, playlistId);
  while (select.Step()) rows.push_back(ReadTrack(select));
  return rows;
}

std::optional<TrackRow> CatalogueQueries::TrackById(int64_t id) {
  SqliteStatement select = db_.Prepare(std::string("SELECT ") + kTrackColumns + " FROM tracks t WHERE t.id = ?1");
  select.Bind(1, id);
  if (!select.Step()) return std::nullopt;
  return ReadTrack(select);
}

}  // namespace server
