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
  // FTS5 prefix indexes: a search word of up to this many characters is looked up directly,
  // which lets a multi-word AND skip through each word's list instead of merging every term
  // that starts with it.
  static constexpr const char* kPrefixLengths = "1 2 3 4 5 6 7 8 9 10 11 12";
  // Marks a file as this program's index, and the layout of its tables.
  static constexpr int64_t kApplicationId = 0x566f726e;  // "Vorn"
  static constexpr int64_t kSchemaVersion = 2;

  // Opens or creates the index at path (":memory:" for a private one) and its tables. A file
  // that is not a sound index of this layout is deleted and created anew. prefixLengths is for
  // measuring other prefix index sets.
  bool Open(const std::string& path, const std::string& prefixLengths = kPrefixLengths);
  SqliteDatabase& Database() { return db_; }
  // True when Open created the tables: a new file, or one that had to be rebuilt.
  bool IsNew() const { return isNew_; }

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
  // Drops the rows of tracks and playlists in folder ("" the root; below it too when recursive)
  // that this scan did not stamp.
  bool DropUnseen(const std::string& folder, bool recursive, int64_t generation);
  // Stamps the row of path, whatever its size and mtime, so that this scan keeps it.
  bool KeepRow(const std::string& path, bool playlist, int64_t generation);
  // The artist, album and genre names from the tracks as they are now.
  bool RebuildNames();

  bool Begin() { return db_.Execute("BEGIN"); }
  bool Commit() { return db_.Execute("COMMIT"); }

 private:
  bool CreateSchema(const std::string& prefixLengths);
  // True when the open file is empty or an intact index of this version.
  bool IsOurs();

  SqliteDatabase db_;
  bool isNew_ = false;
};

}  // namespace server
