// The record store through real files: the folder rule, the file it makes, what each run
// writes, and how it reports what it cannot do.
#include "records/record_store.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "acquire/run_controller.h"
#include "measure/panel_settings.h"
#include "recording_ui.h"
#include "run_view_recorder.h"
#include "sim_config.h"
#include "sim_transport.h"

namespace zc::fp::testing {
namespace {

namespace fs = std::filesystem;

std::tm At(int year, int month, int day, int h, int m, int s) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = h;
  t.tm_min = m;
  t.tm_sec = s;
  return t;
}

// Runs the test in a working folder of its own and comes back afterwards.
class RecordFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = fs::current_path();
    root_ = fs::temp_directory_path() /
            ("zc-rec-" + std::to_string(getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_ / "program" / "DB");
    fs::current_path(root_ / "program");
  }
  void TearDown() override {
    fs::current_path(saved_);
    fs::remove_all(root_);
  }
  struct Row {
    double value;
    std::string time;
  };
  static std::vector<Row> Rows(const std::string& path) {
    CRecordFile f;
    std::vector<Row> rows;
    EXPECT_TRUE(f.Open(path)) << f.error();
    f.ReadRange(0, -1, [&](const CReading& r) {
      rows.push_back({r.value, r.time});
      return true;
    });
    return rows;
  }
  static std::optional<std::string> StartOf(const std::string& path) {
    CRecordFile f;
    EXPECT_TRUE(f.Open(path)) << f.error();
    return f.StartTime();
  }

  fs::path saved_, root_;
  CRecordingUi ui;
};

// A run without a window against the simulated counter, keeping its readings in the store.
struct CRecordedRun {
  static constexpr const char* kUsb = "USB0::0x1A5B::0x1004::AB12345678::INSTR";
  CRecordedRun(CRecordingUi& ui, int record)
      : ui(ui), devices(ui, console), panel(ui), run(panel, devices, ui, view), store(ui) {
    zc::visa::ResetSimulatedInstruments();
    devices.DiscoverDevices();
    run.SetRecorder(&store);
    run.saveFlag = true;
    run.recordNumber = record;
  }
  SimConfig config{SimUsb(kUsb)};
  CRecordingUi& ui;
  CConsoleDeviceTable console;
  CDeviceManager devices;
  CPanelModel panel;
  CRecordingView view;
  CRunController run;
  CRecordStore store;
};

TEST_F(RecordFolderTest, FirstRunMakesTheFileAndEachReadingARow) {
  CRecordStore store(ui);
  store.clock = [] { return At(2026, 12, 11, 14, 5, 9); };
  ASSERT_TRUE(store.OpenForRun(1)) << store.error();
  const std::string path = (root_ / "program" / "DB" / "DBfile_DB1.mdb").string();
  EXPECT_EQ(store.path(), path);
  EXPECT_EQ(fs::current_path(), root_ / "program" / "DB");  // the record folder stays current
  for (double v : {1.23456789012345678, 3e-16, -2.5, 1e9}) EXPECT_TRUE(store.AppendReading(v));
  store.CloseRun();
  store.CloseRun();  // closing twice does nothing

  const auto rows = Rows(path);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].value, 1.234567890123457);
  EXPECT_EQ(rows[1].value, 0.0);
  EXPECT_EQ(rows[2].value, -2.5);
  EXPECT_EQ(rows[3].value, 1e9);
  for (const Row& r : rows) EXPECT_EQ(r.time, "1899-12-30 14:05:09");
  EXPECT_EQ(StartOf(path), "2026-12-11 14:05:09");
  // An ordinary file: readable and writable by its owner, nothing hidden.
  const auto perms = fs::status(path).permissions();
  EXPECT_NE(perms & fs::perms::owner_read, fs::perms::none);
  EXPECT_NE(perms & fs::perms::owner_write, fs::perms::none);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(RecordFolderTest, SecondRunAppendsAndRestamps) {
  CRecordStore store(ui);
  store.clock = [] { return At(2026, 1, 2, 3, 4, 5); };
  ASSERT_TRUE(store.OpenForRun(7));
  store.AppendReading(1);
  store.CloseRun();
  fs::current_path(root_ / "program");  // the next start finds the folder again either way
  store.clock = [] { return At(2026, 1, 2, 9, 0, 0); };
  ASSERT_TRUE(store.OpenForRun(7));
  store.AppendReading(2);
  store.AppendReading(3);
  store.CloseRun();
  const std::string path = (root_ / "program" / "DB" / "DBfile_DB7.mdb").string();
  const auto rows = Rows(path);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].value, 1);
  EXPECT_EQ(rows[2].value, 3);
  EXPECT_EQ(StartOf(path), "2026-01-02 09:00:00");
  CRecordFile f;
  ASSERT_TRUE(f.Open(path));
  CSqliteStmt q;
  ASSERT_TRUE(q.Prepare(f.db(), "select count(*) from read_date"));
  ASSERT_EQ(q.Step(), SQLITE_ROW);
  EXPECT_EQ(q.ColumnInt(0), 1);  // one start time, replaced
}

TEST_F(RecordFolderTest, AFolderWhosePathHasDBIsTheRecordFolder) {
  fs::create_directories(root_ / "DBtools" / "Counter");
  fs::current_path(root_ / "DBtools" / "Counter");
  CRecordStore store(ui);
  ASSERT_TRUE(store.OpenForRun(2));
  EXPECT_EQ(store.path(), (root_ / "DBtools" / "Counter" / "DBfile_DB2.mdb").string());
  EXPECT_EQ(RecordFolderFor("/opt/DBase"), "/opt/DBase");
  EXPECT_EQ(RecordFolderFor("/opt/db"), "/opt/db/DB");
}

TEST_F(RecordFolderTest, MissingFolderGoesOnUnrecorded) {
  fs::remove_all(root_ / "program" / "DB");
  CRecordStore store(ui);
  EXPECT_TRUE(store.OpenForRun(1));  // the run goes on
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Database working folder not found.");
  EXPECT_EQ(ui.messages[0].caption, "Database folder check");
  EXPECT_FALSE(store.isOpen());
  EXPECT_TRUE(store.AppendReading(5));  // skipped
  EXPECT_FALSE(fs::exists(root_ / "program" / "DB"));
}

// Files that are not records are reported and left exactly as they were.
TEST_F(RecordFolderTest, ForeignFilesAreNotTouched) {
  struct Case {
    const char* name;
    std::string contents;
  };
  const Case cases[] = {
      {"text", "this is not a database\n"},
      {"damaged", std::string("SQLite format 3\0", 16) + std::string(2000, '\x7f')},
      {"empty database", ""},
  };
  int n = 1;
  for (const Case& c : cases) {
    const fs::path path = root_ / "program" / "DB" / ("DBfile_DB" + std::to_string(n) + ".mdb");
    if (c.contents.empty()) {
      CSqliteDb db;
      ASSERT_TRUE(db.Open(path.string(), true));
      ASSERT_TRUE(db.Exec("CREATE TABLE other (x)"));
    } else {
      std::ofstream(path, std::ios::binary) << c.contents;
    }
    const auto before = fs::file_size(path);
    CRecordStore store(ui);
    EXPECT_FALSE(store.OpenForRun(n)) << c.name;
    EXPECT_NE(store.error().find(path.string()), std::string::npos) << store.error();
    EXPECT_FALSE(store.isOpen());
    EXPECT_EQ(fs::file_size(path), before) << c.name;
    fs::current_path(root_ / "program");
    ++n;
  }
}

// The files answer the read side's queries unchanged in the sqlite3 shell.
TEST_F(RecordFolderTest, OtherToolsReadTheFilesAsTheyAre) {
  CRecordStore store(ui);
  store.clock = [] { return At(2010, 3, 15, 14, 5, 9); };
  ASSERT_TRUE(store.OpenForRun(3));
  for (double v : {10.0, 10.5, 9.5}) store.AppendReading(v);
  store.CloseRun();
  const std::string path = store.path();
  auto shell = [&](const std::string& sql) {
    std::string out;
    FILE* p = popen(("sqlite3 '" + path + "' \"" + sql + "\"").c_str(), "r");
    char buf[256];
    while (p && fgets(buf, sizeof buf, p)) out += buf;
    if (p) pclose(p);
    return out;
  };
  if (shell("select 1") != "1\n") GTEST_SKIP() << "no sqlite3 shell";
  EXPECT_EQ(shell("select * from read_date"), "2010-03-15 14:05:09\n");
  EXPECT_EQ(shell("select read_value from read"), "10.0\n10.5\n9.5\n");
  EXPECT_EQ(shell("select count(read_value) as sum_num from read"), "3\n");
  EXPECT_EQ(
      shell("select avg(read_value) as avg_num ,count(read_value) as sum_num ,max(read_value) "
            "as max_num ,min(read_value) as min_num from read"),
      "10.0|3|10.5|9.5\n");
  EXPECT_EQ(shell("select * from read where read_value <= 10.000000 and read_value >= 9.500000"),
            "10.0|1899-12-30 14:05:09\n9.5|1899-12-30 14:05:09\n");
  EXPECT_EQ(shell("select count(*) from read,read_date"), "3\n");
  EXPECT_EQ(shell("pragma integrity_check"), "ok\n");
}

// A recorded run end to end: Run Start with Save on record 3 against the simulated counter,
// ticks, Run Stop; then a second run.
TEST_F(RecordFolderTest, RecordedRunsAgainstTheSimulatedCounter) {
  CRecordedRun r(ui, 3);
  CRunController& run = r.run;
  CRecordStore& store = r.store;
  std::vector<double> shown;
  for (int ticks : {5, 3}) {
    run.RunStart();
    ASSERT_TRUE(store.isOpen());
    for (int i = 0; i < ticks; ++i) {
      run.OnReadingTimer();
      shown.push_back(run.buffer.Slot(run.buffer.count()));
    }
    run.RunStop();
    EXPECT_FALSE(store.isOpen());
  }
  const auto rows = Rows((root_ / "program" / "DB" / "DBfile_DB3.mdb").string());
  ASSERT_EQ(rows.size(), shown.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].value, CRecordStore::RoundedValue(shown[i]));
    EXPECT_EQ(rows[i].time.substr(0, 11), "1899-12-30 ");
  }
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(RecordFolderTest, SavingWithoutARecordNumberDoesNotStart) {
  CRecordedRun r(ui, 0);
  CRunController& run = r.run;
  auto counter = zc::visa::SimulatedInstrument(CRecordedRun::kUsb);
  counter->ClearReceived();
  run.RunStart();
  EXPECT_FALSE(run.running());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Please select a record.");
  EXPECT_TRUE(counter->Received().empty());
  EXPECT_FALSE(fs::exists(root_ / "program" / "DB" / "DBfile_DB0.mdb"));
}

// A database failure in the middle of a run stops it with a message; what was kept stays.
TEST_F(RecordFolderTest, DatabaseFailureDuringARunStopsIt) {
  CRecordedRun r(ui, 4);
  CRunController& run = r.run;
  CRecordStore& store = r.store;
  CRecordingView& view = r.view;
  run.RunStart();
  run.OnReadingTimer();
  run.OnReadingTimer();
  {
    // Another program makes the file refuse further readings.
    CSqliteDb other;
    ASSERT_TRUE(other.Open(store.path(), false));
    ASSERT_TRUE(
        other.Exec("CREATE TRIGGER no_more BEFORE INSERT ON read "
                   "BEGIN SELECT RAISE(ABORT, 'record is closed for writing'); END"));
  }
  run.OnReadingTimer();
  EXPECT_FALSE(run.running());
  EXPECT_FALSE(view.timerOn);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages[0].text.find("record is closed for writing"), std::string::npos)
      << ui.messages[0].text;
  EXPECT_EQ(Rows(store.path()).size(), 2u);
}

}  // namespace
}  // namespace zc::fp::testing
