#include "records/record_store.h"

#include <charconv>
#include <chrono>

namespace zc::fp {
namespace {

std::tm LocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_r(&now, &t);
  return t;
}

}  // namespace

CRecordStore::CRecordStore(CUserInterface& ui) : clock(LocalNow), ui_(ui) {}

double CRecordStore::RoundedValue(double value) {
  char buf[512];
  const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 15);
  if (r.ec != std::errc()) return value;  // not finite: kept as it is
  double out = value;
  std::from_chars(buf, r.ptr, out);
  return out;
}

bool CRecordStore::Fail(const std::string& what) {
  error_ = what;
  CloseRun();
  return false;
}

bool CRecordStore::OpenForRun(int n) {
  CloseRun();
  error_.clear();
  std::string folder;
  if (!EnterRecordFolder(&folder)) {
    // The run goes on; its readings are not kept.
    ui_.ShowMessage(kFolderNotFound, "Database folder check", MessageIcon::None);
    return true;
  }
  if (n < 1 || n > kRecordCount) return Fail("There is no record " + std::to_string(n) + ".");
  path_ = RecordFilePath(folder, n);
  std::string error;
  if (!RecordFileExists(path_) && !CreateRecordFile(path_, &error)) return Fail(error);

  const std::tm now = clock();
  if (!file_.Open(path_)) return Fail(file_.error());
  CSqliteDb& db = file_.db();
  // Each reading is its own transaction, synced to the log before the append returns.
  if (!db.Exec("PRAGMA journal_mode=WAL") || !db.Exec("PRAGMA synchronous=FULL")) {
    return Fail(path_ + ": " + db.error());
  }
  CSqliteStmt start;
  const bool dated = file_.StartTime().has_value();
  if (!start.Prepare(db, dated ? "UPDATE read_date SET r_date = ? WHERE rowid = "
                                 "(SELECT min(rowid) FROM read_date)"
                               : "INSERT INTO read_date (r_date) VALUES (?)")) {
    return Fail(path_ + ": " + db.error());
  }
  start.Bind(1, StoredDateTime(now));
  if (start.Step() != SQLITE_DONE) {
    db.SetError("cannot write the start time");
    return Fail(path_ + ": " + db.error());
  }
  if (!insert_.Prepare(db, "INSERT INTO read (read_value, read_time) VALUES (?, ?)")) {
    return Fail(path_ + ": " + db.error());
  }
  return true;
}

bool CRecordStore::AppendReading(double value) {
  if (!insert_.isPrepared()) return true;  // nothing open: the reading is not for a record
  insert_.Reset();
  insert_.Bind(1, RoundedValue(value));
  insert_.Bind(2, StoredTimeOfDay(clock()));
  if (insert_.Step() != SQLITE_DONE) {
    file_.db().SetError("cannot keep the reading");
    return Fail(path_ + ": " + file_.db().error());
  }
  return true;
}

void CRecordStore::CloseRun() {
  insert_.Finalize();
  file_.Close();
}

}  // namespace zc::fp
