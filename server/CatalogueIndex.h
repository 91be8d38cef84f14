#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "server/CatalogueRows.h"
#include "server/SqliteDatabase.h"
#include "server/TagReader.h"

namespace server {

// The SQLite index of a library: tracks, playlists and their entries, and the artist, album and
// genre names, each with an FTS5 table kept in step with it. This class owns the connection and
// does all writing; CatalogueQueries reads through the same connection.
class CatalogueIndex {
 public:
  // Opens or creates the index at path (":memory:" for a private one) and its tables.
  bool Open(const std::string& path);
  SqliteDatabase& Database() { return db_; }

  // A scan stamps every row it sees with a new generation; FinishScan removes the rest.
  int64_t BeginScan();
  // True when the track at path is indexed with this size and mtime (it is stamped as seen).
  bool MarkTrackSeen(const std::string& path, int64_t size, int64_t mtime, int64_t generation);
  bool UpsertTrack(const std::string& path, int64_t size, int64_t mtime, const TrackTags& tags,
                   int64_t generation);
  // entries are library-relative track paths in playlist order.
  bool UpsertPlaylist(const PlaylistRow& playlist, const std::vector<std::string>& entries,
                      int64_t generation);
  // Drops what the scan did not see and rebuilds the name table. Returns false on an error.
  bool FinishScan(int64_t generation);

  bool Begin() { return db_.Execute("BEGIN"); }
  bool Commit() { return db_.Execute("COMMIT"); }

 private:
  bool CreateSchema();

  SqliteDatabase db_;
};

}  // namespace server
