// viFindRsrc / viFindNext over declared resources, and the configuration file's error handling.
#include <string>
#include <vector>

#include "config.h"
#include "visa_fixture.h"

namespace zc::visa::testing {
namespace {

const char* kBench =
    "; the bench: two GPIB counters, one USB counter in each spelling, one LAN instrument\n"
    "[GPIB0::22::INSTR]\n"
    "simulate = zc4100\n"
    "[GPIB0::5::3::INSTR]\n"
    "simulate = zc4100\n"
    "[USB0::0x1A5B::0x1004::AB12345678::INSTR]\n"
    "simulate = zc4100\n"
    "[USB1::6747::4100::CD87654321::0::INSTR]\n"
    "simulate = zc4100\n"
    "[TCPIP0::127.0.0.1::5025::SOCKET]\n";

using FindTest = VisaConfigTest;

std::vector<std::string> FindAll(ViSession rm, const char* expr, ViStatus* status) {
  std::vector<std::string> names;
  ViFindList list = 0;
  ViUInt32 count = 0;
  char name[VI_FIND_BUFLEN];
  *status = viFindRsrc(rm, expr, &list, &count, name);
  if (*status < VI_SUCCESS) return names;
  names.push_back(name);
  while (viFindNext(list, name) == VI_SUCCESS) names.push_back(name);
  EXPECT_EQ(names.size(), count) << expr;
  EXPECT_EQ(viClose(list), VI_SUCCESS);
  return names;
}

TEST_F(FindTest, ExpressionsFindWhatAVisaLibraryFinds) {
  Configure(kBench);
  ViSession rm = OpenRm();
  struct Case {
    const char* expr;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {"GPIB[0-9]*::?*INSTR", {"GPIB0::22::INSTR", "GPIB0::5::3::INSTR"}},
      {"USB[0-9]*::0x1A5B::0x1004::?*INSTR", {"USB0::0x1A5B::0x1004::AB12345678::INSTR"}},
      {"USB[0-9]::0x1A5B::0x1004::?*INSTR", {"USB0::0x1A5B::0x1004::AB12345678::INSTR"}},
      {"USB[0-9]*::6747::4100::?*INSTR", {"USB1::6747::4100::CD87654321::0::INSTR"}},
      {"GPIB?*", {"GPIB0::22::INSTR", "GPIB0::5::3::INSTR"}},
      {"TCPIP?*", {"TCPIP0::127.0.0.1::5025::SOCKET"}},
      {"usb?*",
       {"USB0::0x1A5B::0x1004::AB12345678::INSTR", "USB1::6747::4100::CD87654321::0::INSTR"}},
      {"?*SOCKET", {"TCPIP0::127.0.0.1::5025::SOCKET"}},
  };
  for (const Case& c : cases) {
    ViStatus status = 0;
    EXPECT_EQ(FindAll(rm, c.expr, &status), c.names) << c.expr;
    EXPECT_EQ(status, VI_SUCCESS) << c.expr;
  }
}

TEST_F(FindTest, NothingFoundAndBadExpressions) {
  Configure(kBench);
  ViSession rm = OpenRm();
  ViFindList list = 123;
  ViUInt32 count = 9;
  char name[VI_FIND_BUFLEN] = "junk";
  EXPECT_EQ(viFindRsrc(rm, "ASRL?*INSTR", &list, &count, name), VI_ERROR_RSRC_NFOUND);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(list, 0u);
  EXPECT_STREQ(name, "");
  for (const char* bad : {"GPIB[0-9", "(USB", "*GPIB", ""}) {
    EXPECT_EQ(viFindRsrc(rm, bad, &list, &count, name), VI_ERROR_INV_EXPR) << bad;
  }
  EXPECT_EQ(viFindRsrc(rm, nullptr, &list, &count, name), VI_ERROR_INV_EXPR);
}

TEST_F(FindTest, NoConfigurationFindsNothing) {
  ViSession rm = OpenRm();
  ViStatus status = 0;
  EXPECT_TRUE(FindAll(rm, "?*", &status).empty());
  EXPECT_EQ(status, VI_ERROR_RSRC_NFOUND);
}

TEST_F(FindTest, WalkingPastTheEndIsNotFound) {
  Configure(kBench);
  ViSession rm = OpenRm();
  ViFindList list = 0;
  ViUInt32 count = 0;
  char name[VI_FIND_BUFLEN];
  ASSERT_EQ(viFindRsrc(rm, "TCPIP?*", &list, &count, name), VI_SUCCESS);
  EXPECT_EQ(viFindNext(list, name), VI_ERROR_RSRC_NFOUND);
  EXPECT_EQ(viFindNext(list, name), VI_ERROR_RSRC_NFOUND);
}

// A decimal-form declaration opens under either spelling and is one instrument.
TEST_F(FindTest, DecimalAndHexNamesReachOneCounter) {
  Configure(kBench);
  ViSession rm = OpenRm();
  ViSession dec = Open(rm, "USB1::6747::4100::CD87654321::0::INSTR");
  ViSession hex = Open(rm, "USB1::0x1A5B::0x1004::CD87654321::0::INSTR");
  ASSERT_EQ(Write(dec, "*IDN?\n"), VI_SUCCESS);
  EXPECT_EQ(Read(dec, 100).text, "Zarnith,ZC4100,CD87654321,1.03\n");
  ASSERT_EQ(Write(hex, "*CLS\n"), VI_SUCCESS);
  EXPECT_EQ(SimulatedInstrument("USB1::6747::4100::CD87654321::0::INSTR")->Received().size(), 2u);
}

// A bad section is reported and skipped; the rest of the file still works.
TEST_F(FindTest, BadSectionsAreReportedAndSkipped) {
  Configure(
      "[NOT::A::NAME]\nsimulate = zc4100\n"
      "[GPIB0::9::INSTR]\nsimulate = hp53132\n"
      "[GPIB0::10::INSTR]\nsimulate = zc4100\nfault = sparks\n"
      "[GPIB0::11::INSTR]\nsimulate = zc4100\n"
      "[GPIB::11]\nsimulate = zc4100\n"
      "garbage line without equals\n"
      "[TCPIP0::127.0.0.2::5025::SOCKET]\nspeed = fast\n");
  Config config = LoadConfig();
  ASSERT_EQ(config.resources.size(), 1u);
  EXPECT_EQ(config.resources[0].text, "GPIB0::11::INSTR");
  EXPECT_EQ(config.errors.size(), 5u);
  for (const std::string& e : config.errors) EXPECT_NE(e.find(path_.string()), std::string::npos);

  ViSession rm = OpenRm();
  ViStatus status = 0;
  EXPECT_EQ(FindAll(rm, "?*", &status), std::vector<std::string>{"GPIB0::11::INSTR"});
}

// A relative log name is taken from the configuration file's folder; a log that cannot be opened
// makes its section bad, reported as the others are.
TEST_F(FindTest, SimulatedCountersLogWhereTheConfigurationSays) {
  const std::string logName = path_.stem().string() + ".log";
  const std::filesystem::path log = path_.parent_path() / logName;
  std::filesystem::remove(log);
  auto section = [](const std::string& name, const std::string& logFile) {
    return "[" + name + "]\nsimulate = zc4100\nlog = " + logFile + "\n";
  };
  Configure(section("GPIB0::22::INSTR", logName) + section("GPIB0::23::INSTR", log.string()) +
            section("GPIB0::24::INSTR", "/nonexistent-folder/sim.log"));
  Config config = LoadConfig();
  ASSERT_EQ(config.errors.size(), 1u);
  EXPECT_NE(config.errors[0].find("[GPIB0::24::INSTR]: cannot open log file "
                                  "'/nonexistent-folder/sim.log'"),
            std::string::npos)
      << config.errors[0];
  ASSERT_EQ(config.resources.size(), 2u);

  // Both counters share the file, each message on a line of its own.
  ViSession rm = OpenRm();
  ViSession a = Open(rm, "GPIB0::22::INSTR"), b = Open(rm, "GPIB0::23::INSTR");
  ASSERT_EQ(Write(a, "*IDN?\n"), VI_SUCCESS);
  ASSERT_EQ(Write(b, std::string("syst:comm:rlst loc\0", 19)), VI_SUCCESS);
  std::ifstream f(log, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(f, line);) lines.push_back(line);
  EXPECT_EQ(lines, (std::vector<std::string>{R"(*IDN?\n)", R"(syst:comm:rlst loc\0)"}));
  ViSession bad = 0;
  EXPECT_LT(viOpen(rm, "GPIB0::24::INSTR", VI_NO_LOCK, 0, &bad), VI_SUCCESS);
  std::filesystem::remove(log);
}

TEST_F(FindTest, MissingConfigurationFileIsReported) {
  setenv("ZC4100_VISA_CONF", "/nonexistent/visa.ini", 1);
  Config config = LoadConfig();
  EXPECT_TRUE(config.resources.empty());
  ASSERT_EQ(config.errors.size(), 1u);
  EXPECT_NE(config.errors[0].find("not found"), std::string::npos);
}

}  // namespace
}  // namespace zc::visa::testing
