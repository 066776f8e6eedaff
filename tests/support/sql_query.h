// One statement run on an SQLite file behind the library's back, for the
// tests that inspect or age a settings store.
#pragma once

#include <sqlite3.h>

#include <filesystem>
#include <string>

namespace velmora::test_support {

// The first column of the first row `sql` gives on `file`, as text: "" when
// it gives no row or the file cannot be opened.
inline std::string sqlOn(const std::filesystem::path& file, const char* sql) {
  sqlite3* db = nullptr;
  std::string result;
  if (sqlite3_open(file.c_str(), &db) == SQLITE_OK) {
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    if (sqlite3_step(stmt) == SQLITE_ROW && sqlite3_column_text(stmt, 0) != nullptr) {
      result = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    }
    sqlite3_finalize(stmt);
  }
  sqlite3_close(db);
  return result;
}

}  // namespace velmora::test_support
