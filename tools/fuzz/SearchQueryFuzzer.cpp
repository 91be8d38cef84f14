// What a user types becomes an FTS5 expression that SQLite always accepts.
#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "server/SearchQuery.h"
#include "tools/fuzz/FuzzInput.h"

namespace {

// One in-memory FTS5 table for the whole run.
sqlite3_stmt* MatchStatement() {
  static sqlite3* db = [] {
    sqlite3* opened = nullptr;
    fuzz::Require(sqlite3_open(":memory:", &opened) == SQLITE_OK);
    fuzz::Require(sqlite3_exec(opened,
                               "CREATE VIRTUAL TABLE t USING fts5(title, creator);"
                               "INSERT INTO t VALUES ('Simon and Garfunkel', 'Caf\xC3\xA9 del Mar');",
                               nullptr, nullptr, nullptr) == SQLITE_OK);
    return opened;
  }();
  static sqlite3_stmt* statement = [] {
    sqlite3_stmt* prepared = nullptr;
    fuzz::Require(sqlite3_prepare_v2(db, "SELECT rowid FROM t WHERE t MATCH ?", -1, &prepared, nullptr) == SQLITE_OK);
    return prepared;
  }();
  return statement;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto words = server::SearchQuery::Words(text);
  fuzz::Require(words.size() <= server::SearchQuery::kMaxWords);
  for (const auto& word : words) fuzz::Require(!word.empty() && word.size() <= server::SearchQuery::kMaxWordBytes);
  const std::string expression = server::SearchQuery::MatchExpression(text);
  if (expression.empty()) return 0;
  sqlite3_stmt* statement = MatchStatement();
  sqlite3_reset(statement);
  sqlite3_bind_text(statement, 1, expression.data(), static_cast<int>(expression.size()), SQLITE_TRANSIENT);
  int result;
  while ((result = sqlite3_step(statement)) == SQLITE_ROW) {
  }
  fuzz::Require(result == SQLITE_DONE);
  return 0;
}
