#include "records/sqlite_db.h"

namespace zc::fp {

CSqliteDb& CSqliteDb::operator=(CSqliteDb&& other) noexcept {
  if (this != &other) {
    Close();
    db_ = other.db_;
    other.db_ = nullptr;
  }
  return *this;
}

bool CSqliteDb::Open(const std::string& path, bool create) {
  Close();
  error_.clear();
  const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX;
  const int rc = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
  if (rc != SQLITE_OK) {
    error_ = path + ": " + (db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc));
    Close();
    return false;
  }
  // A record being written by a run may be read meanwhile; wait a little rather than fail.
  sqlite3_busy_timeout(db_, 2000);
  return true;
}

void CSqliteDb::Close() {
  if (db_) sqlite3_close_v2(db_);
  db_ = nullptr;
}

bool CSqliteDb::Exec(const char* sql) {
  char* message = nullptr;
  const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, &message);
  if (rc != SQLITE_OK) {
    error_ = message ? message : sqlite3_errstr(rc);
    sqlite3_free(message);
    return false;
  }
  return true;
}

void CSqliteDb::SetError(const std::string& what) {
  error_ = what + ": " + (db_ ? sqlite3_errmsg(db_) : "no database");
}

bool CSqliteStmt::Prepare(CSqliteDb& db, const char* sql) {
  Finalize();
  if (sqlite3_prepare_v2(db.handle(), sql, -1, &stmt_, nullptr) != SQLITE_OK) {
    db.SetError("cannot read the record");
    Finalize();
    return false;
  }
  return true;
}

void CSqliteStmt::Finalize() {
  if (stmt_) sqlite3_finalize(stmt_);
  stmt_ = nullptr;
}

bool CSqliteStmt::Bind(int index, double value) {
  return sqlite3_bind_double(stmt_, index, value) == SQLITE_OK;
}

bool CSqliteStmt::Bind(int index, std::int64_t value) {
  return sqlite3_bind_int64(stmt_, index, value) == SQLITE_OK;
}

bool CSqliteStmt::Bind(int index, std::string_view text) {
  return sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()),
                           SQLITE_TRANSIENT) == SQLITE_OK;
}

int CSqliteStmt::Step() {
  return sqlite3_step(stmt_);
}

void CSqliteStmt::Reset() {
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

std::string CSqliteStmt::ColumnText(int i) const {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, i));
  return text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, i)))
              : std::string();
}

}  // namespace zc::fp
