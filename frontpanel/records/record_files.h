// Record files: ten numbered SQLite databases in the record folder, each holding one run's
// readings (table "read": read_value, read_time) and its start time (table "read_date": r_date).
// This is what every part that lists, reads, charts, exports or deletes records shares: the
// folder and file-name rules, the date-time texts, the record-list entries, and the read side.
//
// Date-times are stored as ISO-8601 text "YYYY-MM-DD HH:MM:SS"; a time of day alone carries the
// date 1899-12-30, day zero of the date-time scale, so other tools read the files as they are.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>

#include "records/sqlite_db.h"

namespace zc::fp {

inline constexpr int kRecordCount = 10;
inline constexpr const char* kFolderNotFound = "Database working folder not found.";

// The record folder for a working directory: "/DB" appended unless the path already contains
// the capital letters "DB" anywhere.
std::string RecordFolderFor(const std::string& currentDirectory);
// The record folder of the process's current directory, made the current directory (and so it
// stays). False when it cannot be entered; *folder holds it either way.
bool EnterRecordFolder(std::string* folder);
// "<folder>/DBfile_DB<n>.mdb"
std::string RecordFilePath(const std::string& folder, int n);
bool RecordFileExists(const std::string& path);
// Makes a new record file with its two empty tables. False with a message when it cannot.
bool CreateRecordFile(const std::string& path, std::string* error);
// Removes a record file and the side files SQLite may keep beside it. False when the record
// itself could not be removed.
bool DeleteRecordFile(const std::string& path);

// Stored texts.
std::string StoredDateTime(const std::tm& t);   // "2026-12-11 14:05:09"
std::string StoredTimeOfDay(const std::tm& t);  // "1899-12-30 14:05:09"
// Display texts from stored ones; a text that is not a stored date-time is shown as it is.
std::string StartTimeDisplay(const std::string& stored);  // "26 / 12 / 11 -- 14 : 05 : 09"
std::string TimeOfDayDisplay(const std::string& stored);  // "14 : 05 : 09"

// "Record 3            ( 26 / 12 / 11 -- 14 : 05 : 09 )", and back: the number is read from
// the characters at positions 7 and 8 (their leading digits; 0 when none).
std::string RecordListEntry(int n, const std::string& startDisplay);
int RecordNumberOfEntry(const std::string& entry);

struct CRecordStatistics {
  std::int64_t count = 0;
  // Empty for a record without readings.
  std::optional<double> mean, max, min;
};

struct CReading {
  double value = 0;
  std::string time;  // stored text of read_time
};

// One record file opened for reading. Every failure (a missing file, a file that is not a
// database or not a record, a damaged one) is a message in error(), never a crash.
class CRecordFile {
 public:
  bool Open(const std::string& path);
  void Close() { db_.Close(); }
  const std::string& error() const { return error_; }

  // r_date of the first row of read_date as stored; empty when the table has no row.
  std::optional<std::string> StartTime();
  // Count, mean, maximum and minimum in one aggregate query; empty on a database error.
  std::optional<CRecordStatistics> Statistics();
  // Readings in table order, from the one at index first (0 for the first), at most limit of
  // them; each returns false to stop early. False on a database error.
  bool ReadRange(std::int64_t first, std::int64_t limit,
                 const std::function<bool(const CReading&)>& each);
  // Readings with lower <= value <= upper, the limits taken to six decimals, in table order.
  bool Filter(double upper, double lower, const std::function<bool(const CReading&)>& each);

  CSqliteDb& db() { return db_; }

 private:
  bool Fail(const std::string& what);
  CSqliteDb db_;
  std::string path_;
  std::string error_;
};

}  // namespace zc::fp
