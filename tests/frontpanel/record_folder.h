// Real record files for the record tests: a fresh folder with a DB subfolder, made the process's
// current directory for the test and restored afterwards.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "records/record_files.h"
#include "records/sqlite_db.h"

namespace zc::fp::testing {

class CRecordFolderTest : public ::testing::Test {
 protected:
  static constexpr const char* kStart = "2026-12-11 14:05:09";
  static constexpr const char* kStartShown = "26 / 12 / 11 -- 14 : 05 : 09";

  void SetUp() override {
    previous_ = std::filesystem::current_path();
    root_ = std::filesystem::temp_directory_path() /
            ("zc_records_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_ / "DB");
    std::filesystem::current_path(root_);
  }
  void TearDown() override {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(root_);
  }

  std::string RecordPath(int n) const {
    return (root_ / "DB" / ("DBfile_DB" + std::to_string(n) + ".mdb")).string();
  }

  // A record file with the start time (no read_date row when empty) and the readings in order.
  void MakeRecord(int n, const std::vector<double>& values, const std::string& start = kStart) {
    std::string error;
    ASSERT_TRUE(CreateRecordFile(RecordPath(n), &error)) << error;
    CSqliteDb db;
    ASSERT_TRUE(db.Open(RecordPath(n), false));
    ASSERT_TRUE(db.Exec("BEGIN"));
    if (!start.empty()) {
      CSqliteStmt s;
      ASSERT_TRUE(s.Prepare(db, "INSERT INTO read_date VALUES (?)"));
      s.Bind(1, std::string_view(start));
      ASSERT_EQ(s.Step(), SQLITE_DONE);
    }
    // Readings a second apart from 14:00:00 on.
    CSqliteStmt s;
    ASSERT_TRUE(s.Prepare(db, "INSERT INTO read VALUES (?, ?)"));
    for (std::size_t i = 0; i < values.size(); ++i) {
      char time[32];
      std::snprintf(time, sizeof time, "1899-12-30 14:%02zu:%02zu", (i / 60) % 60, i % 60);
      s.Bind(1, values[i]);
      s.Bind(2, std::string_view(time));
      ASSERT_EQ(s.Step(), SQLITE_DONE);
      s.Reset();
    }
    ASSERT_TRUE(db.Exec("COMMIT"));
  }
  void MakeRecord(int n, const std::string& start, const std::vector<double>& values) {
    MakeRecord(n, values, start);
  }

  void WriteGarbage(int n) {
    std::ofstream(RecordPath(n), std::ios::binary) << "this is not a database at all\n";
  }

  // Readings 1, 2, ..., n.
  static std::vector<double> Counting(int n) {
    std::vector<double> v;
    for (int i = 1; i <= n; ++i) v.push_back(i);
    return v;
  }

  std::filesystem::path previous_, root_;
};

}  // namespace zc::fp::testing
