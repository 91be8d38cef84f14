#include "server/SqliteDatabase.h"

#include <sqlite3.h>

#include <string>
#include <utility>

#include "platform/DebugLog.h"

namespace server {

SqliteStatement::SqliteStatement(sqlite3* db, std::string_view sql) {
  if (!db) return;
  if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &stmt_, nullptr) != SQLITE_OK) {
    platform::DebugPrintf("sqlite: cannot prepare: %s\n", sqlite3_errmsg(db));
    stmt_ = nullptr;
    failed_ = true;
  }
}

SqliteStatement::~SqliteStatement() { sqlite3_finalize(stmt_); }

SqliteStatement::SqliteStatement(SqliteStatement&& other) noexcept
    : stmt_(std::exchange(other.stmt_, nullptr)), failed_(other.failed_) {}

SqliteStatement& SqliteStatement::operator=(SqliteStatement&& other) noexcept {
  if (this != &other) {
    sqlite3_finalize(stmt_);
    stmt_ = std::exchange(other.stmt_, nullptr);
    failed_ = other.failed_;
  }
  return *this;
}

void SqliteStatement::Bind(int index, int64_t value) {
  if (stmt_) sqlite3_bind_int64(stmt_, index, value);
}

void SqliteStatement::Bind(int index, std::string_view text) {
  if (stmt_) sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

bool SqliteStatement::Step() {
  if (!stmt_) return false;
  const int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc != SQLITE_DONE) {
    // FTS5 reports a bad MATCH expression here, not at prepare time.
    platform::DebugPrintf("sqlite: step failed: %s\n", sqlite3_errmsg(sqlite3_db_handle(stmt_)));
    failed_ = true;
  }
  return false;
}

void SqliteStatement::Reset() {
  if (!stmt_) return;
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
  failed_ = false;
}

int64_t SqliteStatement::ColumnInt(int column) const {
  return stmt_ ? sqlite3_column_int64(stmt_, column) : 0;
}

std::string SqliteStatement::ColumnText(int column) const {
  if (!stmt_) return {};
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
  const int size = sqlite3_column_bytes(stmt_, column);
  return text ? std::string(text, static_cast<size_t>(size)) : std::string();
}

SqliteDatabase::~SqliteDatabase() { sqlite3_close_v2(db_); }

SqliteDatabase::SqliteDatabase(SqliteDatabase&& other) noexcept : db_(std::exchange(other.db_, nullptr)) {}

SqliteDatabase& SqliteDatabase::operator=(SqliteDatabase&& other) noexcept {
  if (this != &other) {
    sqlite3_close_v2(db_);
    db_ = std::exchange(other.db_, nullptr);
  }
  return *this;
}

namespace {
constexpr int kBusyTimeoutMs = 5000;
}  // namespace

bool SqliteDatabase::Open(const std::string& path) {
  sqlite3_close_v2(db_);
  db_ = nullptr;
  sqlite3* db = nullptr;
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
  if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
    platform::DebugPrintf("sqlite: cannot open %s: %s\n", path.c_str(), db ? sqlite3_errmsg(db) : "no memory");
    sqlite3_close_v2(db);
    return false;
  }
  // A reader and the rescan's writer share the file: a brief lock is waited out, not an error.
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  db_ = db;
  return true;
}

bool SqliteDatabase::Execute(std::string_view sql) {
  if (!db_) return false;
  const std::string text(sql);
  char* error = nullptr;
  if (sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    platform::DebugPrintf("sqlite: %s\n", error ? error : "error");
    sqlite3_free(error);
    return false;
  }
  return true;
}

int64_t SqliteDatabase::LastInsertId() const { return db_ ? sqlite3_last_insert_rowid(db_) : 0; }

int SqliteDatabase::Changes() const { return db_ ? sqlite3_changes(db_) : 0; }

int64_t SqliteDatabase::Version() {
  if (!db_) return 0;
  // data_version moves with other connections' commits, total_changes with this one's.
  SqliteStatement version(db_, "PRAGMA data_version");
  const int64_t others = version.Step() ? version.ColumnInt(0) : 0;
  return (others << 32) ^ static_cast<int64_t>(sqlite3_total_changes64(db_));
}

std::string SqliteDatabase::ErrorMessage() const { return db_ ? sqlite3_errmsg(db_) : "not open"; }

SqliteTransaction::SqliteTransaction(SqliteDatabase& db) : db_(db), open_(db.Execute("BEGIN")) {}

SqliteTransaction::~SqliteTransaction() {
  if (open_) db_.Execute("ROLLBACK");
}

bool SqliteTransaction::Commit() {
  if (!open_) return false;
  open_ = false;
  return db_.Execute("COMMIT");
}

}  // namespace server
