// zc4100 measure as a user runs it: a run set up from a panel file and options, read back from
// the simulated counter's own log of what it received.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "records/sqlite_db.h"
#include "run_tool.h"
#include "zc4100_sim.h"

namespace {

namespace fs = std::filesystem;

using zc::testing::Bin;
using zc::testing::Result;
using zc::testing::RunTool;

std::vector<std::string> ReadLog(const fs::path& path) {
  std::vector<std::string> messages;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    auto m = zc::sim::UnescapeLogLine(line);
    messages.push_back(m ? *m : "<bad line: " + line + ">");
  }
  return messages;
}

std::vector<std::string> After(const std::vector<std::string>& all, const std::string& first) {
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (all[i] == first) return {all.begin() + static_cast<std::ptrdiff_t>(i), all.end()};
  }
  return {};
}

// What a record file says about itself after a kill: its integrity check and its row count.
struct CSqliteDbCheck {
  explicit CSqliteDbCheck(const std::string& path) {
    zc::fp::CSqliteDb db;
    if (!db.Open(path, false)) return;
    zc::fp::CSqliteStmt q;
    if (q.Prepare(db, "PRAGMA integrity_check") && q.Step() == SQLITE_ROW) integrity = q.ColumnText(0);
    if (q.Prepare(db, "SELECT count(*) FROM read") && q.Step() == SQLITE_ROW) {
      rows = static_cast<int>(q.ColumnInt(0));
    }
  }
  std::string integrity;
  int rows = -1;
};

class MeasureTool : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("zc-measure-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
    log_ = dir_ / "usb.log";
    Configure("[USB0::0x1A5B::0x1004::AB12345678::INSTR]\nsimulate = zc4100\nseed = 1\nlog = " +
              log_.string() + "\n");
    setenv("ZC_VISA_SYSFS_ROOT", "/nonexistent-sysfs", 1);
  }
  void TearDown() override { fs::remove_all(dir_); }
  void Configure(const std::string& text) {
    std::ofstream(dir_ / "visa.ini") << text;
    setenv("ZC4100_VISA_CONF", (dir_ / "visa.ini").c_str(), 1);
  }
  fs::path Write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name) << text;
    return dir_ / name;
  }
  fs::path dir_, log_;
};

TEST_F(MeasureTool, PanelFileRunReadsAndStops) {
  const fs::path panel =
      Write("p.ini",
            "[Panel]\nFunction = Period\nPeriodChannel = CH2\nGateTime = 0.5\n"
            "Upper = on\nUpperValue = 300\nUpperUnit = nSec\nCh2Coupling = DC\n");
  Result r = RunTool("measure --panel " + panel.string() + " -r 100 -n 3");
  ASSERT_EQ(r.code, 0) << r.out;
  EXPECT_NE(r.out.find("     3  Current : "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(" u  Sec"), std::string::npos) << r.out;
  const std::vector<std::string> expected = {"CONF:PER (@2)",
                                             "FREQuency:ARM:STARt:SOURce IMM",
                                             "FREQuency:ARM:STOP:SOURce TIMer",
                                             "FREQuency:ARM:STOP:TIMer 0.5",
                                             "CALCulate2:LIMit:STATe ON",
                                             "CALCulate2:LIMit:UPPer 300 nS",
                                             "CALCulate2:LIMit:LOWer 0S",
                                             "INIT:AUTO OFF",
                                             "SYST:COMM:SER:CONT:DTR OFF",
                                             "CALC:MATH:STATE OFF",
                                             "CALC3:AVER:STATE OFF",
                                             "EVEN2:LEV:AUTO 1",
                                             "EVEN2:LEV:REL 50",
                                             "EVEN2:SLOP POS",
                                             "EVEN2:HYST:REL 0",
                                             "INP2:COUP DC",
                                             "INP2:IMP 1000000",
                                             "INP2:ATT 1",
                                             "INP2:FILT 0",
                                             "INIT:CONT ON",
                                             "fetch?\n",
                                             "fetch?\n",
                                             "fetch?\n",
                                             "INIT:CONT OFF",
                                             std::string("syst:comm:rlst loc\0", 19)};
  EXPECT_EQ(After(ReadLog(log_), "CONF:PER (@2)"), expected);
}

TEST_F(MeasureTool, RefusalsAndMistakes) {
  struct Case {
    std::string args;
    int code;
    std::string says;
  };
  const Case cases[] = {
      {"measure -s Ch1LevelMode=Absolute -s Ch1LevelAbs=9 -n 2", 1,
       "ERROR: Over-range! Please re-enter a Level's value between 5.125 to (-5.125)."},
      {"measure -f Volt -s Scale=on -n 1", 0, "Volt on "},
      {"measure -s Bogus=1", 2, "unknown setting 'Bogus'"},
      {"measure -f Sine", 2, "unknown function 'Sine'"},
      {"measure -c CH4", 2, "'CH4' is not an item of FreqChannel"},
      {"measure --count many", 2, "bad --count"},
      {"measure --panel /nonexistent/p.ini", 2, "no such file"},
      {"measure USB0::0x1A5B::0x1004::NOPE::INSTR -n 1", 1, "VI_ERROR_RSRC_NFOUND"},
  };
  for (const Case& c : cases) {
    Result r = RunTool(c.args);
    EXPECT_EQ(r.code, c.code) << c.args << "\n" << r.out;
    EXPECT_NE(r.out.find(c.says), std::string::npos) << c.args << "\n" << r.out;
  }
  Configure("");
  Result none = RunTool("measure -n 1");
  EXPECT_EQ(none.code, 1);
  EXPECT_NE(none.out.find("ZC4100_AP: No Device Connected"), std::string::npos) << none.out;
}

TEST_F(MeasureTool, SilentCounterStopsTheRunWithTheStatus) {
  Configure("[GPIB0::9::INSTR]\nsimulate = zc4100\nfault = silent\nmax_wait_ms = 20\n");
  Result r = RunTool("measure GPIB0::9::INSTR --timeout 200 -n 5");
  EXPECT_EQ(r.code, 1) << r.out;
  EXPECT_NE(r.out.find("ZC4100_AP: "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("     1  Current : "), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("     2  Current : "), std::string::npos) << r.out;  // no tick after
}

// Ctrl-C is Run Stop: the counter is told to stop and goes back to local control.
TEST_F(MeasureTool, InterruptStopsTheRun) {
  const std::string out = (dir_ / "out.txt").string();
  const pid_t pid = fork();
  if (pid == 0) {
    freopen(out.c_str(), "w", stdout);
    execl(Bin("zc4100").c_str(), "zc4100", "measure", static_cast<char*>(nullptr));
    _exit(127);
  }
  ASSERT_GT(pid, 0);
  for (int i = 0; i < 200; ++i) {
    std::ifstream in(out);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    if (text.find("     2  Current") != std::string::npos) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  kill(pid, SIGINT);
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  const auto log = ReadLog(log_);
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[log.size() - 2], "INIT:CONT OFF");
  EXPECT_EQ(log.back(), std::string("syst:comm:rlst loc\0", 19));
}

int ReadingLines(const std::string& path) {
  std::ifstream in(path);
  int n = 0;
  for (std::string line; std::getline(in, line);) n += line.find("  Current : ") != std::string::npos;
  return n;
}

// Killing the program while it records loses no reading it reported and never damages the file.
TEST_F(MeasureTool, KilledWhileRecordingLosesNothing) {
  fs::create_directories(dir_ / "DB");
  const std::string record = (dir_ / "DB" / "DBfile_DB3.mdb").string();
  int printed = 0;
  const int kRounds = 6;
  for (int round = 0; round < kRounds; ++round) {
    const std::string out = (dir_ / ("out" + std::to_string(round))).string();
    const pid_t pid = fork();
    if (pid == 0) {
      freopen(out.c_str(), "w", stdout);
      execl(Bin("zc4100").c_str(), "zc4100", "measure", "--record", "3", "--folder", dir_.c_str(),
            static_cast<char*>(nullptr));
      _exit(127);
    }
    ASSERT_GT(pid, 0);
    for (int i = 0; i < 2000 && ReadingLines(out) < 1 + round % 3; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // Somewhere inside a tick or between ticks.
    std::this_thread::sleep_for(std::chrono::milliseconds(17 * round));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    printed += ReadingLines(out);

    CSqliteDbCheck check(record);
    EXPECT_EQ(check.integrity, "ok") << "round " << round;
    EXPECT_GE(check.rows, printed) << "round " << round;
    EXPECT_LE(check.rows, printed + round + 1) << "round " << round;  // at most one unreported
  }
  EXPECT_GT(printed, kRounds);
}

// A LAN counter on a raw socket: zc4100-sim, with its own log.
TEST_F(MeasureTool, LanCounterOnARawSocket) {
  const fs::path portFile = dir_ / "port";
  const fs::path simLog = dir_ / "sim.log";
  const pid_t sim = fork();
  if (sim == 0) {
    execl(Bin("zc4100-sim").c_str(), "zc4100-sim", "--port", "0", "--port-file", portFile.c_str(),
          "--log", simLog.c_str(), "--seed", "3", static_cast<char*>(nullptr));
    _exit(127);
  }
  ASSERT_GT(sim, 0);
  std::string port;
  for (int i = 0; i < 200 && port.empty(); ++i) {
    std::ifstream(portFile) >> port;
    if (port.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  ASSERT_FALSE(port.empty());
  Result r = RunTool("measure TCPIP0::127.0.0.1::" + port + "::SOCKET -f Freq -c CH3 -n 2");
  kill(sim, SIGTERM);
  waitpid(sim, nullptr, 0);
  EXPECT_EQ(r.code, 0) << r.out;
  EXPECT_NE(r.out.find(" G  Hz"), std::string::npos) << r.out;  // CH3 carries ~1.2 GHz
  const auto log = ReadLog(simLog);
  ASSERT_FALSE(log.empty());
  // On a socket the line feed ends each message.
  EXPECT_EQ(log.front(), "FUNC 'FREQ 3'\n");
  EXPECT_EQ(After(log, "INIT:CONT ON\n"),
            (std::vector<std::string>{"INIT:CONT ON\n", "fetch?\n", "fetch?\n", "INIT:CONT OFF\n",
                                      std::string("syst:comm:rlst loc\0\n", 20)}));
}

}  // namespace
