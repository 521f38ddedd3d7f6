// The writing side of records: a run that saves makes sure its record file exists, stamps it
// with the run's start time and appends one row per reading; Run Stop closes it.
//
// Every appended reading is committed on its own and synced before AppendReading returns
// (write-ahead log, full sync), so a killed program never loses a reading it reported as kept
// and never leaves a damaged file.
#pragma once

#include <ctime>
#include <functional>
#include <string>

#include "acquire/run_controller.h"
#include "app/user_interface.h"
#include "records/record_files.h"

namespace zc::fp {

class CRecordStore : public CRunRecorder {
 public:
  explicit CRecordStore(CUserInterface& ui);
  ~CRecordStore() override { CloseRun(); }

  bool OpenForRun(int recordNumber) override;
  bool AppendReading(double value) override;
  void CloseRun() override;
  const std::string& error() const override { return error_; }

  bool isOpen() const { return insert_.isPrepared(); }
  // The file of the run in progress, or of the last one.
  const std::string& path() const { return path_; }

  // The local time now; tests set a fixed one.
  std::function<std::tm()> clock;

  // The stored value of a reading: rounded to 15 decimals, as "%.15f" writes it.
  static double RoundedValue(double value);

 private:
  bool Fail(const std::string& what);

  CUserInterface& ui_;
  CRecordFile file_;
  CSqliteStmt insert_;
  std::string path_;
  std::string error_;
};

}  // namespace zc::fp
