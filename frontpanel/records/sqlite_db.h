// Thin owners of SQLite's database and statement handles: closed or finalised exactly once,
// every value bound as a parameter, and every failure a message instead of an exception.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace zc::fp {

class CSqliteDb {
 public:
  CSqliteDb() = default;
  ~CSqliteDb() { Close(); }
  CSqliteDb(const CSqliteDb&) = delete;
  CSqliteDb& operator=(const CSqliteDb&) = delete;
  CSqliteDb(CSqliteDb&& other) noexcept : db_(other.db_) { other.db_ = nullptr; }
  CSqliteDb& operator=(CSqliteDb&& other) noexcept;

  // Opens an existing file read-write (create: make it when missing). False with error() set.
  bool Open(const std::string& path, bool create);
  void Close();
  bool isOpen() const { return db_ != nullptr; }
  sqlite3* handle() const { return db_; }

  // Runs statements that return no rows.
  bool Exec(const char* sql);
  const std::string& error() const { return error_; }
  void SetError(const std::string& what);  // what + ": " + SQLite's message

 private:
  sqlite3* db_ = nullptr;
  std::string error_;
};

class CSqliteStmt {
 public:
  CSqliteStmt() = default;
  ~CSqliteStmt() { Finalize(); }
  CSqliteStmt(const CSqliteStmt&) = delete;
  CSqliteStmt& operator=(const CSqliteStmt&) = delete;

  bool Prepare(CSqliteDb& db, const char* sql);
  void Finalize();
  bool isPrepared() const { return stmt_ != nullptr; }

  bool Bind(int index, double value);
  bool Bind(int index, std::int64_t value);
  bool Bind(int index, std::string_view text);
  // SQLITE_ROW, SQLITE_DONE or an error code.
  int Step();
  void Reset();

  double ColumnDouble(int i) const { return sqlite3_column_double(stmt_, i); }
  std::int64_t ColumnInt(int i) const { return sqlite3_column_int64(stmt_, i); }
  bool ColumnIsNull(int i) const { return sqlite3_column_type(stmt_, i) == SQLITE_NULL; }
  std::string ColumnText(int i) const;

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

}  // namespace zc::fp
