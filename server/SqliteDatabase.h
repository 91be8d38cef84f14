#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace server {

class SqliteDatabase;

// One prepared statement, finalized when the object goes away. Move-only.
class SqliteStatement {
 public:
  SqliteStatement() = default;
  SqliteStatement(sqlite3* db, std::string_view sql);
  ~SqliteStatement();
  SqliteStatement(SqliteStatement&& other) noexcept;
  SqliteStatement& operator=(SqliteStatement&& other) noexcept;
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;

  bool IsValid() const { return stmt_ != nullptr; }

  // Parameters are numbered from 1; text is copied by SQLite.
  void Bind(int index, int64_t value);
  void Bind(int index, std::string_view text);

  // One step: true when a row is ready. False at the end or on an error (Failed() tells).
  bool Step();
  bool Failed() const { return failed_; }
  // Rewinds the statement and clears its bindings for the next use.
  void Reset();

  int64_t ColumnInt(int column) const;
  std::string ColumnText(int column) const;

 private:
  sqlite3_stmt* stmt_ = nullptr;
  bool failed_ = false;
};

// One SQLite connection, closed when the object goes away. Move-only.
class SqliteDatabase {
 public:
  SqliteDatabase() = default;
  ~SqliteDatabase();
  SqliteDatabase(SqliteDatabase&& other) noexcept;
  SqliteDatabase& operator=(SqliteDatabase&& other) noexcept;
  SqliteDatabase(const SqliteDatabase&) = delete;
  SqliteDatabase& operator=(const SqliteDatabase&) = delete;

  // Opens (creating it if needed) the database at path; ":memory:" is a private in-memory one.
  bool Open(const std::string& path);
  bool IsOpen() const { return db_ != nullptr; }

  // Runs one or more statements without results; false (and ErrorMessage) on an error.
  bool Execute(std::string_view sql);
  SqliteStatement Prepare(std::string_view sql) { return SqliteStatement(db_, sql); }
  int64_t LastInsertId() const;
  int Changes() const;
  // Changes a cached query result may depend on: a value that moves whenever this connection
  // or another commits a change to the database.
  int64_t Version();
  std::string ErrorMessage() const;

 private:
  sqlite3* db_ = nullptr;
};

// BEGIN on construction, ROLLBACK unless Commit() was called.
class SqliteTransaction {
 public:
  explicit SqliteTransaction(SqliteDatabase& db);
  ~SqliteTransaction();
  SqliteTransaction(const SqliteTransaction&) = delete;
  SqliteTransaction& operator=(const SqliteTransaction&) = delete;
  bool Commit();

 private:
  SqliteDatabase& db_;
  bool open_ = false;
};

}  // namespace server
