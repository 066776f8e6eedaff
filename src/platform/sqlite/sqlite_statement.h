// A prepared statement owned for the life of its connection, with the few
// binding and column helpers the store needs. Names and data are bound as
// blobs so that any bytes (invalid UTF-8, NUL) are kept exactly.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string_view>

namespace velmora::sqlite {

class Statement {
 public:
  Statement() = default;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  ~Statement() { sqlite3_finalize(stmt_); }

  int prepare(sqlite3* db, std::string_view sql) {
    return sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()),
                              SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr);
  }

  void bind(int index, std::string_view bytes) {
    // A zero-length blob needs a non-null pointer, or SQLite binds NULL.
    sqlite3_bind_blob(stmt_, index, bytes.empty() ? "" : bytes.data(),
                      static_cast<int>(bytes.size()), SQLITE_STATIC);
  }
  void bind(int index, std::int64_t value) { sqlite3_bind_int64(stmt_, index, value); }

  int step() { return sqlite3_step(stmt_); }
  bool isNullAt(int column) { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }
  void reset() { sqlite3_reset(stmt_); }

  std::int64_t int64At(int column) { return sqlite3_column_int64(stmt_, column); }
  std::string_view bytesAt(int column) {
    const void* data = sqlite3_column_blob(stmt_, column);
    const int size = sqlite3_column_bytes(stmt_, column);
    if (data == nullptr || size <= 0) return {};
    return {static_cast<const char*>(data), static_cast<std::size_t>(size)};
  }

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

// Resets a statement when the scope ends, so that a read never keeps its
// transaction open past the operation and bound views never dangle.
class StatementScope {
 public:
  explicit StatementScope(Statement& statement) : statement_(statement) {}
  StatementScope(const StatementScope&) = delete;
  StatementScope& operator=(const StatementScope&) = delete;
  ~StatementScope() { statement_.reset(); }
  Statement* operator->() { return &statement_; }

 private:
  Statement& statement_;
};

}  // namespace velmora::sqlite
