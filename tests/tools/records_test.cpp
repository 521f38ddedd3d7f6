// zc4100 records over real record files, run as a user runs it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "records/record_files.h"
#include "run_tool.h"

namespace {

namespace fs = std::filesystem;
using zc::testing::RunTool;

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// zc4100 started from dir, stdout and stderr together.
zc::testing::Result RunIn(const fs::path& dir, const std::string& args) {
  zc::testing::Result r{-1, ""};
  const std::string cmd =
      "cd '" + dir.string() + "' && '" + zc::testing::Bin("zc4100") + "' " + args + " 2>&1";
  FILE* pipe = popen(cmd.c_str(), "r");
  if (!pipe) return r;
  char buf[256];
  while (fgets(buf, sizeof buf, pipe)) r.out += buf;
  const int status = pclose(pipe);
  r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

class RecordsToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("zc_records_tool_" + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "DB");
    MakeRecord(1, "2010-03-15 14:05:09", {10.5, 123456.123456789, -0.25});
    MakeRecord(4, "2026-12-11 08:00:00", {1, 2, 3, 4, 5, 12.5, -6.5});
    MakeRecord(7, "", {1});  // never stamped
    MakeRecord(10, "2026-01-02 23:59:59", {});
    std::ofstream(root_ / "DB" / "DBfile_DB5.mdb") << "not a database\n";
  }
  void TearDown() override { fs::remove_all(root_); }

  void MakeRecord(int n, const std::string& start, const std::vector<double>& values) {
    const std::string path = zc::fp::RecordFilePath((root_ / "DB").string(), n);
    std::string error;
    ASSERT_TRUE(zc::fp::CreateRecordFile(path, &error)) << error;
    zc::fp::CSqliteDb db;
    ASSERT_TRUE(db.Open(path, false));
    zc::fp::CSqliteStmt s;
    if (!start.empty()) {
      ASSERT_TRUE(s.Prepare(db, "INSERT INTO read_date VALUES (?)"));
      s.Bind(1, std::string_view(start));
      ASSERT_EQ(s.Step(), SQLITE_DONE);
    }
    ASSERT_TRUE(s.Prepare(db, "INSERT INTO read VALUES (?, ?)"));
    int second = 10;
    for (double v : values) {
      s.Bind(1, v);
      s.Bind(2, std::string_view("1899-12-30 14:05:" + std::to_string(second++)));
      ASSERT_EQ(s.Step(), SQLITE_DONE);
      s.Reset();
    }
  }

  std::string Folder() const { return "--folder '" + root_.string() + "'"; }

  fs::path root_;
};

TEST_F(RecordsToolTest, ListSkipsGapsUnstampedAndBadFiles) {
  const std::string expected =
      "Record 1            ( 10 / 03 / 15 -- 14 : 05 : 09 )\n"
      "Record 4            ( 26 / 12 / 11 -- 08 : 00 : 00 )\n"
      "Record 10            ( 26 / 01 / 02 -- 23 : 59 : 59 )\n";
  for (const std::string& args : {"records " + Folder(), "records list " + Folder(),
                                  // a folder whose path holds "DB" is the record folder itself
                                  "records --folder '" + (root_ / "DB").string() + "'"}) {
    SCOPED_TRACE(args);
    const auto r = RunTool(args);
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, expected);
  }
  // Without --folder: the current directory.
  const auto r = RunIn(root_, "records");
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, expected);
}

TEST_F(RecordsToolTest, ShowGivesTheDialogsTexts) {
  auto r = RunTool("records show 4 " + Folder());
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out,
            "Record 4            ( 26 / 12 / 11 -- 08 : 00 : 00 )\n"
            "Data Quantity : 7\nMAX : 12.5\nMIN : -6.5\nAVG : 3\n"
            "Range browsing : [ 1 - 7 ]\n");
  r = RunTool("records show 10 " + Folder());
  EXPECT_EQ(r.code, 0);
  EXPECT_NE(r.out.find("Data Quantity : 0\nMAX : 0\nMIN : 0\nAVG : 0\n"), std::string::npos);
}

TEST_F(RecordsToolTest, ExportWritesTheCsvByteForByte) {
  const std::string csv =
      "Time,Value, ,DateTime : ( 10 / 03 / 15 -- 14 : 05 : 09 )\r\n"
      "\"14 : 05 : 10\",10.50000000000000\r\n"
      "\"14 : 05 : 11\",123456.12345678900601\r\n"
      "\"14 : 05 : 12\",-0.25000000000000\r\n";
  fs::create_directories(root_ / "out");
  std::ofstream(root_ / "out" / "run1.csv") << "an older file, overwritten without a question";
  struct Case {
    const char* name;
    const char* written;
  };
  // FILE is taken from the user's current directory, not from --folder.
  for (const Case& c : {Case{"run1", "run1.csv"}, Case{"run1.csv", "run1.csv.csv"}}) {
    SCOPED_TRACE(c.name);
    const auto r = RunIn(root_ / "out", std::string("records export 1 ") + c.name + " " + Folder());
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(r.out, std::string(c.written) + "\n");  // no progress bar when stderr is no terminal
    EXPECT_EQ(ReadAll(root_ / "out" / c.written), csv);
  }
}

TEST_F(RecordsToolTest, FailuresAndUsage) {
  struct Case {
    std::string args;
    int code;
    const char* says;
  };
  const Case cases[] = {
      {"records show 0", 2, "not 1 to 10"},
      {"records show x", 2, "not 1 to 10"},
      {"records export 1", 2, "wrong number of operands"},
      {"records frob", 2, "unknown command"},
      {"records --folder", 2, "--folder needs"},
      {"records show 5 " + Folder(), 1, "not a record file"},
      {"records show 7 " + Folder(), 1, "no start time"},
      {"records show 2 " + Folder(), 1, "no such record file"},
      {"records --folder /nonexistent/dir", 1, "Database working folder not found."},
      {"records export 1 /nonexistent/x " + Folder(), 1, "Save As Error."},
      {"records export 10 '" + (root_ / "empty").string() + "' " + Folder(), 1, "No data in file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    const auto r = RunTool(c.args);
    EXPECT_EQ(r.code, c.code);
    EXPECT_NE(r.out.find(c.says), std::string::npos) << r.out;
  }
  EXPECT_EQ(ReadAll(root_ / "empty.csv"),
            "Time,Value, ,DateTime : ( 26 / 01 / 02 -- 23 : 59 : 59 )\r\n");
}

}  // namespace
