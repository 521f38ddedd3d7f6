// zc4100 as a user runs it: its output and exit codes against simulated counters.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "run_tool.h"

namespace {

using zc::testing::Bin;
using zc::testing::Result;
using zc::testing::RunTool;

class Zc4100Tool : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ =
        std::filesystem::temp_directory_path() / ("zc-tool-" + std::to_string(getpid()) + ".ini");
    std::ofstream(path_)
        << "[USB0::0x1A5B::0x1004::AB12345678::INSTR]\nsimulate = zc4100\n"
           "[GPIB0::22::INSTR]\nsimulate = zc4100\nserial = GP00000022\n"
           "[GPIB0::9::INSTR]\nsimulate = zc4100\nfault = silent\nmax_wait_ms = 20\n"
           "[NOT A NAME]\nsimulate = zc4100\n";
    setenv("ZC4100_VISA_CONF", path_.c_str(), 1);
    setenv("ZC_VISA_SYSFS_ROOT", "/nonexistent-sysfs", 1);
  }
  void TearDown() override { std::filesystem::remove(path_); }
  std::filesystem::path path_;
};

TEST_F(Zc4100Tool, FindsQueriesAndReportsConfigurationProblems) {
  Result find = RunTool("find");
  EXPECT_EQ(find.code, 0);
  EXPECT_NE(find.out.find("USB0::0x1A5B::0x1004::AB12345678::INSTR\nGPIB0::22::INSTR\n"),
            std::string::npos)
      << find.out;
  EXPECT_NE(find.out.find("warning: "), std::string::npos);  // the bad section, explained

  Result query = RunTool("query GPIB0::22::INSTR '*IDN?'");
  EXPECT_EQ(query.code, 0);
  EXPECT_NE(query.out.find("Zarnith,ZC4100,GP00000022,1.03\n"), std::string::npos) << query.out;

  Result gpib = RunTool("find 'GPIB?*'");
  EXPECT_NE(gpib.out.find("GPIB0::9::INSTR"), std::string::npos);
  EXPECT_EQ(gpib.out.find("USB0"), std::string::npos);
}

TEST_F(Zc4100Tool, DiscoversAsTheFrontPanelDoes) {
  Result r = RunTool("discover");
  EXPECT_EQ(r.code, 0);
  EXPECT_NE(r.out.find("> ZC4100--GPIB--22\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("  Unknow Manufacture--GPIB--9\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("  ZC4100--USBTMC--AB12345678\n"), std::string::npos) << r.out;
}

// Failures name the resource and the VISA status; usage errors say what is wrong.
TEST_F(Zc4100Tool, FailuresAndExitCodes) {
  struct Case {
    std::string args;
    int code;
    std::string says;
  };
  const Case cases[] = {
      {"query GPIB0::9::INSTR '*IDN?' --timeout 100", 1, "VI_ERROR_TMO"},
      {"query GPIB0::99::INSTR '*IDN?'", 1, "VI_ERROR_INV_RSRC_NAME"},
      {"query USB0::0x1A5B::0x1004::NOPE::INSTR '*IDN?'", 1, "VI_ERROR_RSRC_NFOUND"},
      {"find 'ASRL?*'", 1, "no resource matches"},
      {"find 'GPIB[0-9'", 1, "VI_ERROR_INV_EXPR"},
      {"", 2, "no command given"},
      {"frobnicate", 2, "unknown command"},
      {"query GPIB0::22::INSTR", 2, "wrong number of operands"},
      {"--timeout soon find", 2, "bad --timeout"},
  };
  for (const Case& c : cases) {
    Result r = RunTool(c.args);
    EXPECT_EQ(r.code, c.code) << c.args << "\n" << r.out;
    EXPECT_NE(r.out.find(c.says), std::string::npos) << c.args << "\n" << r.out;
  }
  Result help = RunTool("--help");
  EXPECT_EQ(help.code, 0);
  EXPECT_NE(help.out.find("usage: zc4100"), std::string::npos);
}

}  // namespace
