#include "server/CatalogueIndex.h"

#include <filesystem>
#include <system_error>

#include "platform/DebugLog.h"

namespace server {
namespace {

// Case and accents folded; the prefix option is filled in by Open, as every search word is a
// prefix.
#define VORNALO_FTS_OPTIONS "tokenize='unicode61 remove_diacritics 2', prefix='%PREFIXES%'"

constexpr const char* kSchema = R"SQL(
CREATE TABLE IF NOT EXISTS meta(key TEXT PRIMARY KEY, value INTEGER);
INSERT OR IGNORE INTO meta VALUES('generation', 0);

CREATE TABLE IF NOT EXISTS tracks(
  id INTEGER PRIMARY KEY, path TEXT NOT NULL UNIQUE, size INTEGER, mtime INTEGER,
  title TEXT, creator TEXT, album TEXT, genre TEXT, composer TEXT,
  bitrate INTEGER, length_ms INTEGER, generation INTEGER);
CREATE VIRTUAL TABLE IF NOT EXISTS tracks_fts USING fts5(
  title, album, creator, genre, composer, content='tracks', content_rowid='id', )SQL"
    VORNALO_FTS_OPTIONS R"SQL();
CREATE TRIGGER IF NOT EXISTS tracks_ai AFTER INSERT ON tracks BEGIN
  INSERT INTO tracks_fts(rowid, title, album, creator, genre, composer)
  VALUES (new.id, new.title, new.album, new.creator, new.genre, new.composer);
END;
CREATE TRIGGER IF NOT EXISTS tracks_ad AFTER DELETE ON tracks BEGIN
  INSERT INTO tracks_fts(tracks_fts, rowid, title, album, creator, genre, composer)
  VALUES ('delete', old.id, old.title, old.album, old.creator, old.genre, old.composer);
END;
CREATE TRIGGER IF NOT EXISTS tracks_au AFTER UPDATE OF title, album, creator, genre, composer ON tracks BEGIN
  INSERT INTO tracks_fts(tracks_fts, rowid, title, album, creator, genre, composer)
  VALUES ('delete', old.id, old.title, old.album, old.creator, old.genre, old.composer);
  INSERT INTO tracks_fts(rowid, title, album, creator, genre, composer)
  VALUES (new.id, new.title, new.album, new.creator, new.genre, new.composer);
END;

CREATE TABLE IF NOT EXISTS playlists(
  id INTEGER PRIMARY KEY, path TEXT NOT NULL UNIQUE, title TEXT, featured INTEGER,
  publish_date TEXT, uid TEXT, generation INTEGER);
CREATE TABLE IF NOT EXISTS playlist_entries(
  playlist_id INTEGER, position INTEGER, path TEXT, PRIMARY KEY(playlist_id, position)) WITHOUT ROWID;
CREATE VIRTUAL TABLE IF NOT EXISTS playlists_fts USING fts5(
  title, content='playlists', content_rowid='id', )SQL" VORNALO_FTS_OPTIONS R"SQL();
CREATE TRIGGER IF NOT EXISTS playlists_ai AFTER INSERT ON playlists BEGIN
  INSERT INTO playlists_fts(rowid, title) VALUES (new.id, new.title);
END;
CREATE TRIGGER IF NOT EXISTS playlists_ad AFTER DELETE ON playlists BEGIN
  INSERT INTO playlists_fts(playlists_fts, rowid, title) VALUES ('delete', old.id, old.title);
  DELETE FROM playlist_entries WHERE playlist_id = old.id;
END;
CREATE TRIGGER IF NOT EXISTS playlists_au AFTER UPDATE OF title ON playlists BEGIN
  INSERT INTO playlists_fts(playlists_fts, rowid, title) VALUES ('delete', old.id, old.title);
  INSERT INTO playlists_fts(rowid, title) VALUES (new.id, new.title);
END;

CREATE TABLE IF NOT EXISTS names(id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE);
CREATE VIRTUAL TABLE IF NOT EXISTS names_fts USING fts5(
  name, content='names', content_rowid='id', )SQL" VORNALO_FTS_OPTIONS R"SQL();
)SQL";

#undef VORNALO_FTS_OPTIONS

}  // namespace

bool CatalogueIndex::Open(const std::string& path, const std::string& prefixLengths) {
  if (!db_.Open(path)) return false;
  if (path != ":memory:" && !IsOurs()) {
    // Not an index this version wrote (another program's file, an older layout, or damaged):
    // it is a cache of the library, so it is rebuilt from nothing rather than trusted.
    platform::DebugPrintf("server: rebuilding the index %s\n", path.c_str());
    db_ = SqliteDatabase();
    std::error_code error;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) std::filesystem::remove(path + suffix, error);
    if (!db_.Open(path)) return false;
  }
  // WAL: readers keep answering from the last committed index while a rescan writes the next.
  db_.Execute("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;");
  return CreateSchema(prefixLengths);
}

bool CatalogueIndex::IsOurs() {
  SqliteStatement id = db_.Prepare("PRAGMA application_id");
  SqliteStatement version = db_.Prepare("PRAGMA user_version");
  SqliteStatement tables = db_.Prepare("SELECT count(*) FROM sqlite_schema");
  if (!id.Step() || !version.Step() || !tables.Step()) return false;  // not a database at all
  if (tables.ColumnInt(0) == 0) return true;                           // new and empty
  if (id.ColumnInt(0) != kApplicationId || version.ColumnInt(0) != kSchemaVersion) return false;
  SqliteStatement check = db_.Prepare("PRAGMA quick_check(1)");
  return check.Step() && check.ColumnText(0) == "ok";
}

bool CatalogueIndex::CreateSchema(const std::string& prefixLengths) {
  SqliteStatement tables = db_.Prepare("SELECT count(*) FROM sqlite_schema");
  isNew_ = tables.Step() && tables.ColumnInt(0) == 0;
  std::string schema = kSchema;
  for (size_t at; (at = schema.find("%PREFIXES%")) != std::string::npos;) schema.replace(at, 10, prefixLengths);
  return db_.Execute(schema) && db_.Execute("PRAGMA application_id=" + std::to_string(kApplicationId) +
                                            "; PRAGMA user_version=" + std::to_string(kSchemaVersion));
}

int64_t CatalogueIndex::BeginScan() {
  db_.Execute("UPDATE meta SET value = value + 1 WHERE key = 'generation'");
  SqliteStatement read = db_.Prepare("SELECT value FROM meta WHERE key = 'generation'");
  return read.Step() ? read.ColumnInt(0) : 0;
}

bool CatalogueIndex::MarkTrackSeen(const std::string& path, int64_t size, int64_t mtime, int64_t generation) {
  SqliteStatement mark =
      db_.Prepare("UPDATE tracks SET generation = ?1 WHERE path = ?2 AND size = ?3 AND mtime = ?4");
  mark.Bind(1, generation);
  mark.Bind(2, path);
  mark.Bind(3, size);
  mark.Bind(4, mtime);
  mark.Step();
  return !mark.Failed() && db_.Changes() == 1;
}

bool CatalogueIndex::UpsertTrack(const std::string& path, int64_t size, int64_t mtime, const TrackTags& tags,
                                 int64_t generation) {
  // An update keeps the row id, so stream ids and playlist entries stay valid across scans.
  SqliteStatement upsert = db_.Prepare(
      "INSERT INTO tracks(path, size, mtime, title, creator, album, genre, composer, bitrate, length_ms, generation)"
      " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)"
      " ON CONFLICT(path) DO UPDATE SET size = excluded.size, mtime = excluded.mtime, title = excluded.title,"
      " creator = excluded.creator, album = excluded.album, genre = excluded.genre,"
      " composer = excluded.composer, bitrate = excluded.bitrate, length_ms = excluded.length_ms,"
      " generation = excluded.generation");
  upsert.Bind(1, path);
  upsert.Bind(2, size);
  upsert.Bind(3, mtime);
  upsert.Bind(4, tags.title);
  upsert.Bind(5, tags.creator);
  upsert.Bind(6, tags.album);
  upsert.Bind(7, tags.genre);
  upsert.Bind(8, tags.composer);
  upsert.Bind(9, static_cast<int64_t>(tags.bitrateKbps));
  upsert.Bind(10, static_cast<int64_t>(tags.lengthMs));
  upsert.Bind(11, generation);
  upsert.Step();
  return !upsert.Failed();
}

bool CatalogueIndex::UpsertPlaylist(const PlaylistRow& playlist, const std::vector<std::string>& entries,
                                    int64_t generation) {
  SqliteStatement upsert = db_.Prepare(
      "INSERT INTO playlists(path, title, featured, publish_date, uid, generation) VALUES (?1, ?2, ?3, ?4, ?5, ?6)"
      " ON CONFLICT(path) DO UPDATE SET title = excluded.title, featured = excluded.featured,"
      " publish_date = excluded.publish_date, uid = excluded.uid, generation = excluded.generation"
      " RETURNING id");
  upsert.Bind(1, playlist.path);
  upsert.Bind(2, playlist.title);
  upsert.Bind(3, static_cast<int64_t>(playlist.featured ? 1 : 0));
  upsert.Bind(4, playlist.publishDate);
  upsert.Bind(5, playlist.uid);
  upsert.Bind(6, generation);
  if (!upsert.Step()) return false;
  const int64_t id = upsert.ColumnInt(0);
  upsert.Step();  // completes the statement

  SqliteStatement clear = db_.Prepare("DELETE FROM playlist_entries WHERE playlist_id = ?1");
  clear.Bind(1, id);
  clear.Step();
  SqliteStatement add = db_.Prepare("INSERT INTO playlist_entries(playlist_id, position, path) VALUES (?1, ?2, ?3)");
  int64_t position = 0;
  for (const std::string& entry : entries) {
    add.Reset();
    add.Bind(1, id);
    add.Bind(2, position++);
    add.Bind(3, entry);
    add.Step();
    if (add.Failed()) return false;
  }
  return !clear.Failed();
}

bool CatalogueIndex::FinishScan(int64_t generation) { return DropUnseen("", true, generation) && RebuildNames(); }

bool CatalogueIndex::DropUnseen(const std::string& folder, bool recursive, int64_t generation) {
  // ?2 is the folder with its slash ("" for the root); a row directly in it has no further
  // slash after that prefix.
  std::string inFolder = "substr(path, 1, length(?2)) = ?2";
  if (!recursive) inFolder += " AND instr(substr(path, length(?2) + 1), '/') = 0";
  const std::string prefix = folder.empty() ? std::string() : folder + "/";
  bool ok = true;
  for (const char* table : {"tracks", "playlists"}) {
    SqliteStatement drop =
        db_.Prepare(std::string("DELETE FROM ") + table + " WHERE generation <> ?1 AND " + inFolder);
    drop.Bind(1, generation);
    drop.Bind(2, prefix);
    drop.Step();
    ok = !drop.Failed() && ok;
  }
  return ok;
}

bool CatalogueIndex::KeepRow(const std::string& path, bool playlist, int64_t generation) {
  SqliteStatement keep = db_.Prepare(std::string("UPDATE ") + (playlist ? "playlists" : "tracks") +
                                     " SET generation = ?1 WHERE path = ?2");
  keep.Bind(1, generation);
  keep.Bind(2, path);
  keep.Step();
  return !keep.Failed();
}

bool CatalogueIndex::RebuildNames() {
  // The subjects of TextCues: every artist, album and genre name still in the library.
  return db_.Execute(
      "DELETE FROM names;"
      "INSERT OR IGNORE INTO names(name)"
      "  SELECT creator FROM tracks WHERE creator <> '' UNION SELECT album FROM tracks WHERE album <> ''"
      "  UNION SELECT genre FROM tracks WHERE genre <> '';"
      "INSERT INTO names_fts(names_fts) VALUES('rebuild');");
}

}  // namespace server
