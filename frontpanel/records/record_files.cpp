#include "records/record_files.h"

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

namespace zc::fp {
namespace {

// Fields of a stored date-time text, or nullopt when the text is not one.
std::optional<std::tm> ParseStored(const std::string& s) {
  std::tm t{};
  int consumed = 0;
  if (std::sscanf(s.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%n", &t.tm_year, &t.tm_mon, &t.tm_mday,
                  &t.tm_hour, &t.tm_min, &t.tm_sec, &consumed) != 6 ||
      consumed != static_cast<int>(s.size())) {
    return std::nullopt;
  }
  t.tm_year -= 1900;
  t.tm_mon -= 1;
  return t;
}

std::string Strf(const char* format, const std::tm& t) {
  char buf[64];
  const std::size_t n = std::strftime(buf, sizeof buf, format, &t);
  return std::string(buf, n);
}

// A limit at six decimals, as the filter has always compared them.
double SixDecimals(double v) {
  char buf[512];
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 6);
  if (r.ec != std::errc()) return v;
  double out = v;
  std::from_chars(buf, r.ptr, out);
  return out;
}

// Hands each (read_value, read_time) row of q to each until it says stop; false on an error.
bool EachReading(CSqliteStmt& q, const std::function<bool(const CReading&)>& each) {
  CReading r;
  int rc;
  while ((rc = q.Step()) == SQLITE_ROW) {
    r.value = q.ColumnDouble(0);
    r.time = q.ColumnText(1);
    if (!each(r)) return true;
  }
  return rc == SQLITE_DONE;
}

}  // namespace

std::string RecordFolderFor(const std::string& currentDirectory) {
  if (currentDirectory.find("DB") != std::string::npos) return currentDirectory;
  return currentDirectory + "/DB";
}

bool EnterRecordFolder(std::string* folder) {
  std::vector<char> buf(4096);
  const char* cwd = ::getcwd(buf.data(), buf.size());
  *folder = RecordFolderFor(cwd ? cwd : "");
  return ::chdir(folder->c_str()) == 0;
}

std::string RecordFilePath(const std::string& folder, int n) {
  return folder + "/DBfile_DB" + std::to_string(n) + ".mdb";
}

bool RecordFileExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

bool CreateRecordFile(const std::string& path, std::string* error) {
  CSqliteDb db;
  if (!db.Open(path, true)) {
    *error = db.error();
    return false;
  }
  // One transaction: the file has both tables or, after a failure, none.
  if (!db.Exec("BEGIN;"
               "CREATE TABLE read (read_value DOUBLE, read_time DATETIME);"
               "CREATE TABLE read_date (r_date DATETIME);"
               "COMMIT;")) {
    *error = path + ": cannot make the record file: " + db.error();
    db.Exec("ROLLBACK");
    return false;
  }
  return true;
}

bool DeleteRecordFile(const std::string& path) {
  std::error_code ec;
  const bool removed = std::filesystem::remove(path, ec);
  for (const char* side : {"-wal", "-shm", "-journal"}) std::filesystem::remove(path + side, ec);
  return removed;
}

std::string StoredDateTime(const std::tm& t) {
  return Strf("%Y-%m-%d %H:%M:%S", t);
}

std::string StoredTimeOfDay(const std::tm& t) {
  return "1899-12-30 " + Strf("%H:%M:%S", t);
}

std::string StartTimeDisplay(const std::string& stored) {
  const auto t = ParseStored(stored);
  return t ? Strf("%y / %m / %d -- %H : %M : %S", *t) : stored;
}

std::string TimeOfDayDisplay(const std::string& stored) {
  const auto t = ParseStored(stored);
  return t ? Strf("%H : %M : %S", *t) : stored;
}

std::string RecordListEntry(int n, const std::string& startDisplay) {
  return "Record " + std::to_string(n) + "            ( " + startDisplay + " )";
}

int RecordNumberOfEntry(const std::string& entry) {
  int n = 0;
  for (std::size_t i = 7; i < 9 && i < entry.size(); ++i) {
    if (entry[i] < '0' || entry[i] > '9') break;
    n = n * 10 + (entry[i] - '0');
  }
  return n;
}

bool CRecordFile::Fail(const std::string& what) {
  error_ = path_ + ": " + what;
  if (db_.isOpen() && sqlite3_errcode(db_.handle()) != SQLITE_OK) {
    error_ += " (" + std::string(sqlite3_errmsg(db_.handle())) + ")";
  }
  return false;
}

bool CRecordFile::Open(const std::string& path) {
  path_ = path;
  error_.clear();
  if (!RecordFileExists(path)) return Fail("no such record file");
  if (!db_.Open(path, false)) {
    error_ = db_.error();
    return false;
  }
  // A file that is not a database, a damaged one, or a database without the record's tables.
  CSqliteStmt check;
  if (!check.Prepare(db_,
                     "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND "
                     "name IN ('read', 'read_date')")) {
    Fail("not a record file");
    db_.Close();
    return false;
  }
  if (check.Step() != SQLITE_ROW || check.ColumnInt(0) != 2) {
    Fail("not a record file");
    check.Finalize();
    db_.Close();
    return false;
  }
  return true;
}

std::optional<std::string> CRecordFile::StartTime() {
  CSqliteStmt q;
  if (!q.Prepare(db_, "SELECT r_date FROM read_date LIMIT 1")) {
    Fail("cannot read the start time");
    return std::nullopt;
  }
  if (q.Step() != SQLITE_ROW) return std::nullopt;
  return q.ColumnText(0);
}

std::optional<CRecordStatistics> CRecordFile::Statistics() {
  CSqliteStmt q;
  if (!q.Prepare(db_,
                 "SELECT avg(read_value) AS avg_num, count(read_value) AS sum_num, "
                 "max(read_value) AS max_num, min(read_value) AS min_num FROM read")) {
    Fail("cannot read the readings");
    return std::nullopt;
  }
  if (q.Step() != SQLITE_ROW) {
    Fail("cannot read the readings");
    return std::nullopt;
  }
  CRecordStatistics s;
  s.count = q.ColumnInt(1);
  if (!q.ColumnIsNull(0)) s.mean = q.ColumnDouble(0);
  if (!q.ColumnIsNull(2)) s.max = q.ColumnDouble(2);
  if (!q.ColumnIsNull(3)) s.min = q.ColumnDouble(3);
  return s;
}

bool CRecordFile::ReadRange(std::int64_t first, std::int64_t limit,
                            const std::function<bool(const CReading&)>& each) {
  CSqliteStmt q;
  if (!q.Prepare(db_, "SELECT read_value, read_time FROM read ORDER BY rowid LIMIT ? OFFSET ?")) {
    return Fail("cannot read the readings");
  }
  q.Bind(1, limit < 0 ? std::int64_t{-1} : limit);
  q.Bind(2, first < 0 ? std::int64_t{0} : first);
  return EachReading(q, each) ? true : Fail("cannot read the readings");
}

bool CRecordFile::Filter(double upper, double lower,
                         const std::function<bool(const CReading&)>& each) {
  CSqliteStmt q;
  if (!q.Prepare(db_,
                 "SELECT read_value, read_time FROM read WHERE read_value <= ? AND "
                 "read_value >= ? ORDER BY rowid")) {
    return Fail("cannot search the readings");
  }
  q.Bind(1, SixDecimals(upper));
  q.Bind(2, SixDecimals(lower));
  return EachReading(q, each) ? true : Fail("cannot search the readings");
}

}  // namespace zc::fp
