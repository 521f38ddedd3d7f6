// The View Record dialog's behaviour over real record files in a temporary folder.
#include "records/view_record.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

using namespace std::string_literals;

#include "record_folder.h"
#include "recording_ui.h"

namespace zc::fp {
namespace {

namespace fs = std::filesystem;
using testing::CRecordingUi;

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteText(const fs::path& p, const std::string& text) {
  std::ofstream(p, std::ios::binary) << text;
}

class ViewRecordTest : public testing::CRecordFolderTest {
 protected:
  // Opens the view and selects record n's entry.
  void OpenAndSelect(int n) {
    view_.Open();
    for (std::size_t i = 0; i < view_.records.size(); ++i) {
      if (view_.records[i].number == n) {
        view_.SelectRecord(static_cast<int>(i));
        return;
      }
    }
    FAIL() << "record " << n << " not listed";
  }

  std::vector<std::string> Texts() const {
    std::vector<std::string> out;
    for (const auto& m : ui_.messages) out.push_back(m.text);
    return out;
  }

  CRecordingUi ui_;
  CViewRecord view_{ui_, [](const std::string&, const std::string& def) { return def; }};
};

TEST_F(ViewRecordTest, ListShowsRecordsWithAStartTimeAndSkipsBadFiles) {
  MakeRecord(1, "2010-03-15 14:05:09", {1});
  MakeRecord(4, "2026-12-11 08:00:00", {});
  MakeRecord(7, "", {1, 2});  // never stamped: not listed
  MakeRecord(10, "2026-01-02 23:59:59", {2});
  WriteText(RecordPath(5), "not a database at all, just text\n");
  WriteText(RecordPath(6), "");
  MakeRecord(8, "2026-01-02 23:59:59", {2});
  {  // a damaged database: its header overwritten
    std::fstream f(RecordPath(8), std::ios::in | std::ios::out | std::ios::binary);
    f.write("garbage garbage garbage garbage", 32);
  }
  view_.Open();
  std::vector<std::string> entries;
  for (const auto& e : view_.records) entries.push_back(e.text);
  EXPECT_EQ(entries,
            (std::vector<std::string>{"Record 1            ( 10 / 03 / 15 -- 14 : 05 : 09 )",
                                      "Record 4            ( 26 / 12 / 11 -- 08 : 00 : 00 )",
                                      "Record 10            ( 26 / 01 / 02 -- 23 : 59 : 59 )"}));
  EXPECT_EQ(RecordNumberOfEntry(entries[2]), 10);
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_EQ(fs::current_path(), root_ / "DB");
  EXPECT_FALSE(view_.deleteEnabled || view_.csvEnabled || view_.limitsEnabled);
}

TEST_F(ViewRecordTest, FolderRules) {
  // A path with "DB" in it is the record folder itself.
  fs::create_directories(root_ / "DBase");
  fs::current_path(root_ / "DBase");
  view_.Open();
  EXPECT_EQ(view_.folder, (root_ / "DBase").string());
  EXPECT_TRUE(ui_.messages.empty());

  // Without a DB folder: the message, and an empty list.
  fs::create_directories(root_ / "plain");
  fs::current_path(root_ / "plain");
  view_.Open();
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "Database working folder not found.");
  EXPECT_EQ(ui_.messages[0].caption, "RecordView Database folder check");
  EXPECT_TRUE(view_.records.empty());
}

TEST_F(ViewRecordTest, StatisticsAndDisplayTexts) {
  MakeRecord(2, "2026-12-11 14:05:09", {1, 2, 3, 4, 5, 12.5, -6.5});
  OpenAndSelect(2);
  EXPECT_EQ(view_.countText, "7");
  EXPECT_EQ(view_.maxText, "12.5");
  EXPECT_EQ(view_.minText, "-6.5");
  EXPECT_EQ(view_.meanText, "3");
  EXPECT_TRUE(view_.deleteEnabled && view_.csvEnabled && view_.limitsEnabled);
  EXPECT_EQ(ui_.waitDepth, 0);
  EXPECT_GT(ui_.waitCursorShown, 0);
  ASSERT_EQ(view_.grid.size(), 7u);
  EXPECT_EQ(view_.grid[0].value, "1.00000000000000");
  EXPECT_EQ(view_.grid[6].value, "-6.5000000000000");
  EXPECT_EQ(view_.grid[6].time, "14 : 00 : 06");

  struct Case {
    double v;
    const char* grid;
    const char* statistic;
  };
  for (const Case& c : {Case{123456.123456789, "123456.123456789", "123456.12345678900601"},
                        Case{10.0, "10.0000000000000", "10"}, Case{0.0, "0.00000000000000", "0"},
                        Case{-0.25, "-0.2500000000000", "-0.25"}}) {
    EXPECT_EQ(GridValueText(c.v), c.grid);
    EXPECT_EQ(StatisticText(c.v), c.statistic);
  }
}

TEST_F(ViewRecordTest, EmptyReadingTableShowsZeroAndAnEmptyPage) {
  MakeRecord(3, "2026-12-11 14:05:09", {});
  OpenAndSelect(3);
  EXPECT_EQ(view_.countText, "0");
  EXPECT_EQ(view_.maxText, "0");
  EXPECT_EQ(view_.meanText, "0");
  EXPECT_EQ(view_.ranges, std::vector<std::string>{" 1 - 0 "});
  EXPECT_EQ(view_.gridRowCount(), 1);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(ViewRecordTest, PagesOfTenThousand) {
  struct Case {
    int readings;
    std::vector<std::string> ranges;
    int page;
    int gridRows;
    double firstValue;
  };
  const Case cases[] = {
      {25000, {" 1 - 10000 ", " 10001 - 20000 ", " 20001 - 25000 "}, 2, 5001, 20001},
      {25000, {" 1 - 10000 ", " 10001 - 20000 ", " 20001 - 25000 "}, 1, 10001, 10001},
      {20000, {" 1 - 10000 ", " 10001 - 20000 ", " 20001 - 20000 "}, 2, 1, 0},
      {9999, {" 1 - 9999 "}, 0, 10000, 1},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.readings);
    ++n;
    MakeRecord(n, "2026-12-11 14:05:09", Counting(c.readings));
    OpenAndSelect(n);
    EXPECT_EQ(view_.ranges, c.ranges);
    EXPECT_EQ(view_.selectedRange, 0);
    EXPECT_EQ(view_.gridRowCount(), std::min(c.readings, kPageSize) + 1);
    view_.SelectRange(c.page);
    EXPECT_EQ(view_.gridRowCount(), c.gridRows);
    if (c.gridRows > 1) {
      EXPECT_EQ(LimitValue(view_.grid[0].value), c.firstValue);
    }
  }
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(ViewRecordTest, Search) {
  std::vector<double> values = Counting(12000);  // 1 .. 12000
  values.push_back(
      5.0000004);  // above 5 but equal to it at six decimals: the limit, not the value, is cut
  values.push_back(5);
  MakeRecord(1, "2026-12-11 14:05:09", values);

  struct Case {
    const char* upper;
    const char* lower;
    int gridRows;  // -1: left as it was
    std::vector<std::string> messages;
  };
  const Case cases[] = {
      {"5", "5", 3, {}},           // 5 twice: the table's and the one added
      {"5.0000004", " 5", 3, {}},  // limits taken to six decimals
      {"10", "1", 13, {}},         // 1..10 and the two near 5
      {"4", "5", 1, {"Please re-enter a valid range."}},
      {"", "5", -1, {"Please input a valid value."}},
      {"5", "", -1, {"Please input a valid value."}},
      {"abc", "-1", 1, {}},  // text that is not a number counts as 0
      {"10002", "5", 10001, {"Please narrow the searching range."}},  // exactly 10000
      {"1e9", "-1e9", 10001, {"Please narrow the searching range."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.upper) + " / " + c.lower);
    OpenAndSelect(1);
    view_.SelectRange(1);  // a page of 2002 readings, to see whether the grid is left alone
    ui_.messages.clear();
    view_.upperText = c.upper;
    view_.lowerText = c.lower;
    view_.Search();
    EXPECT_EQ(view_.gridRowCount(), c.gridRows < 0 ? 2003 : c.gridRows);
    EXPECT_EQ(Texts(), c.messages);
    EXPECT_EQ(view_.countText, "12002");  // statistics still describe the whole record
    EXPECT_EQ(ui_.waitDepth, 0);
  }
}

TEST_F(ViewRecordTest, NothingSelectedDoesNothing) {
  MakeRecord(1, "2026-12-11 14:05:09", {1, 2});
  view_.Open();
  view_.upperText = "9";
  view_.lowerText = "0";
  view_.Search();
  view_.SelectRange(0);
  view_.DeleteSelected();
  view_.ExportCsv((root_ / "out").string(), nullptr);
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_TRUE(fs::exists(RecordPath(1)));
  EXPECT_FALSE(fs::exists(root_ / "out.csv"));
  EXPECT_EQ(view_.gridRowCount(), 1);
}

TEST_F(ViewRecordTest, LimitsPersistAcrossShowingsAndRefreshDisablesButtons) {
  MakeRecord(1, "2026-12-11 14:05:09", {1, 2});
  OpenAndSelect(1);
  view_.upperText = "2";
  view_.lowerText = "1";
  view_.Refresh();
  EXPECT_FALSE(view_.deleteEnabled || view_.csvEnabled);
  EXPECT_TRUE(view_.limitsEnabled);
  fs::current_path(root_);
  view_.Open();
  EXPECT_EQ(view_.upperText, "2");
  EXPECT_EQ(view_.lowerText, "1");
  EXPECT_EQ(view_.countText, "0");
  EXPECT_EQ(view_.gridRowCount(), 1);
}

TEST_F(ViewRecordTest, DeleteKeepsTheOtherNumbers) {
  MakeRecord(1, "2026-12-11 14:05:09", {1});
  MakeRecord(4, "2026-12-11 14:05:09", {4});
  MakeRecord(10, "2026-12-11 14:05:09", {10});
  WriteText(RecordPath(4) + "-journal", "");
  OpenAndSelect(4);
  EXPECT_EQ(view_.DeleteQuestion(), "Are you sure you want to delete this record?");
  view_.DeleteSelected();
  EXPECT_FALSE(fs::exists(RecordPath(4)));
  EXPECT_FALSE(fs::exists(RecordPath(4) + "-journal"));
  ASSERT_EQ(view_.records.size(), 2u);
  EXPECT_EQ(view_.selectedRecord, -1);
  EXPECT_EQ(view_.countText, "1");  // still the deleted record's until another is chosen
  EXPECT_TRUE(view_.deleteEnabled && view_.csvEnabled);
  view_.SelectRecord(1);
  EXPECT_EQ(view_.records[1].number, 10);
  EXPECT_EQ(view_.grid.at(0).value, "10.0000000000000");
  view_.Refresh();
  ASSERT_EQ(view_.records.size(), 2u);
  EXPECT_EQ(view_.records[1].text.substr(0, 9), "Record 10");
}

TEST_F(ViewRecordTest, CsvExport) {
  MakeRecord(3, "2010-03-15 14:05:09", {10.5, 123456.123456789, -0.25});
  OpenAndSelect(3);
  const std::string header = "Time,Value, ,DateTime : ( 10 / 03 / 15 -- 14 : 05 : 09 )\r\n";
  const std::string body =
      "\"14 : 00 : 00\",10.50000000000000\r\n"
      "\"14 : 00 : 01\",123456.12345678900601\r\n"
      "\"14 : 00 : 02\",-0.25000000000000\r\n";

  struct Case {
    const char* chosen;
    const char* written;
  };
  for (const Case& c : {Case{"run1", "run1.csv"}, Case{"run1.csv", "run1.csv.csv"}}) {
    SCOPED_TRACE(c.chosen);
    ui_.messages.clear();
    WriteText(root_ / c.written, "an older, longer file that is overwritten without a question\n");
    std::int64_t lastDone = -1, lastTotal = -1;
    view_.ExportCsv((root_ / c.chosen).string(), [&](std::int64_t done, std::int64_t total) {
      lastDone = done;
      lastTotal = total;
    });
    EXPECT_EQ(ReadAll(root_ / c.written), header + body);
    EXPECT_EQ(lastDone, 3);
    EXPECT_EQ(lastTotal, 3);
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, "Output to CSV completed.");
    EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Information);
  }
  EXPECT_EQ(fs::current_path(), root_ / "DB");
}

// As many lines as the record counts values: a row without one costs the last line.
TEST_F(ViewRecordTest, CsvExportOfRowsWithoutAValue) {
  MakeRecord(1, "2010-03-15 14:05:09", {1, 2, 3});
  {
    CSqliteDb db;
    ASSERT_TRUE(db.Open(RecordPath(1), false));
    ASSERT_TRUE(db.Exec("UPDATE read SET read_value = NULL WHERE rowid = 2"));
  }
  OpenAndSelect(1);
  view_.ExportCsv((root_ / "nulls").string(), nullptr);
  EXPECT_EQ(ReadAll(root_ / "nulls.csv"),
            "Time,Value, ,DateTime : ( 10 / 03 / 15 -- 14 : 05 : 09 )\r\n"
            "\"14 : 00 : 00\",1.00000000000000\r\n"
            "\"14 : 00 : 01\",0.00000000000000\r\n");
  EXPECT_EQ(Texts(), std::vector<std::string>{"Output to CSV completed."});
}

TEST_F(ViewRecordTest, CsvExportFailures) {
  MakeRecord(1, "2010-03-15 14:05:09", {});
  MakeRecord(2, "2010-03-15 14:05:09", {1});
  const std::string header = "Time,Value, ,DateTime : ( 10 / 03 / 15 -- 14 : 05 : 09 )\r\n";

  // No readings: the header alone, and the warning.
  OpenAndSelect(1);
  view_.ExportCsv((root_ / "empty").string(), nullptr);
  EXPECT_EQ(ReadAll(root_ / "empty.csv"), header);
  EXPECT_EQ(Texts(), std::vector<std::string>{"No data in file"});

  // A folder that does not exist.
  ui_.messages.clear();
  view_.ExportCsv((root_ / "missing" / "x").string(), nullptr);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "Save As Error.");
  EXPECT_EQ(ui_.messages[0].caption, "Error");

  // The record turned into something that is not a database after it was listed.
  OpenAndSelect(2);
  WriteText(RecordPath(2), std::string(4096, 'x'));
  ui_.messages.clear();
  view_.ExportCsv((root_ / "broken").string(), nullptr);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_NE(ui_.messages[0].text.find("not a record file"), std::string::npos)
      << ui_.messages[0].text;
  EXPECT_EQ(ReadAll(root_ / "broken.csv"), header);

  // The record deleted behind the list's back: the header alone, no message.
  fs::remove(RecordPath(2));
  ui_.messages.clear();
  view_.ExportCsv((root_ / "gone").string(), nullptr);
  EXPECT_EQ(ReadAll(root_ / "gone.csv"), header);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(ViewRecordTest, DamagedRecordChosenAfterListingGivesAMessage) {
  MakeRecord(1, "2010-03-15 14:05:09", {1, 2});
  view_.Open();
  WriteText(RecordPath(1), "SQLite format 3\0 but not really"s);
  view_.SelectRecord(0);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Error);
  EXPECT_EQ(ui_.waitDepth, 0);
  view_.SelectRange(0);
  view_.upperText = view_.lowerText = "1";
  view_.Search();
  EXPECT_EQ(ui_.waitDepth, 0);
}

}  // namespace
}  // namespace zc::fp
