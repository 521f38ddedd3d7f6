// Readings: they follow the configured function, channel, gate and math, come in the counter's
// number format, and repeat exactly for a given seed.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ostream>
#include <regex>
#include <string>
#include <vector>

#include "sim_test_util.h"
#include "zc4100_sim.h"

namespace {

using namespace std::chrono_literals;
using zc::sim::Clock;
using zc::sim::Counter;
using zc::sim::Options;
using zc::sim::ReadStatus;

using zc::sim::testing::Ask;

Options Seeded(std::uint64_t seed = 11) { return zc::sim::testing::FastOptions(seed); }

const std::regex kENotation(R"([+-]\d\.\d{11}E[+-]\d{3}\n)");

double Reading(Counter& c, std::string_view query) {
  std::string r = Ask(c, query);
  EXPECT_TRUE(std::regex_match(r, kENotation)) << query << " answered " << r;
  return std::strtod(r.c_str(), nullptr);
}

void ExpectNoError(Counter& c) {
  EXPECT_EQ(Ask(c, "SYST:ERR?"), "+0,\"No error\"\n");
}

double StdDev(const std::vector<double>& v) {
  double mean = 0;
  for (double x : v) mean += x;
  mean /= static_cast<double>(v.size());
  double sq = 0;
  for (double x : v) sq += (x - mean) * (x - mean);
  return std::sqrt(sq / static_cast<double>(v.size() - 1));
}

// ---- function selection: FUNC? and plausible readings for each ----

struct FunctionCase {
  const char* setup;
  const char* func;  // FUNC? answer without the quotes
  double low;        // plausible reading range
  double high;
};
void PrintTo(const FunctionCase& c, std::ostream* os) {
  *os << c.setup;
}

class SimFunctions : public ::testing::TestWithParam<FunctionCase> {};

TEST_P(SimFunctions, FuncAnswerAndReadingFollowTheConfiguration) {
  const FunctionCase& c = GetParam();
  Counter counter(Seeded());
  EXPECT_TRUE(counter.Receive(c.setup));
  ExpectNoError(counter);
  EXPECT_EQ(Ask(counter, "func?"), std::string("\"") + c.func + "\"\n") << c.setup;
  for (const char* query : {"READ?", "fetch?", "FETCh?", "calc:data?"}) {
    double v = Reading(counter, query);
    EXPECT_GE(v, c.low) << c.setup << " " << query;
    EXPECT_LE(v, c.high) << c.setup << " " << query;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Each, SimFunctions,
    ::testing::Values(FunctionCase{"FUNC 'FREQ 1'", "FREQ", 9.9999e6, 10.0001e6},
                      FunctionCase{"FUNC 'FREQ 2'", "FREQ 2", 4.9999e6, 5.0001e6},
                      FunctionCase{"FUNC \"FREQ 3\"", "FREQ 3", 1.1999e9, 1.2001e9},
                      FunctionCase{"FUNC 'FREQuency:RATio 2,1'", "FREQ:RAT 2,1", 0.4999, 0.5001},
                      FunctionCase{"FUNC 'PER (@2)'", "PER 2", 1.999e-7, 2.001e-7},
                      FunctionCase{"CONF:FREQ:RAT (@1),(@2)", "FREQ:RAT", 1.9999, 2.0001},
                      FunctionCase{"CONF:FREQ:RAT (@1),(@3)", "FREQ:RAT 1,3", 8.333e-3, 8.334e-3},
                      FunctionCase{"CONF:FREQ:RAT (@2),(@1)", "FREQ:RAT 2,1", 0.4999, 0.5001},
                      FunctionCase{"CONF:FREQ:RAT (@3),(@1)", "FREQ:RAT 3,1", 119.99, 120.01},
                      FunctionCase{"CONF:PER (@1)", "PER", 0.9999e-7, 1.0001e-7},
                      FunctionCase{"CONF:PER (@2)", "PER 2", 1.9999e-7, 2.0001e-7},
                      FunctionCase{"CONF:PER (@3)", "PER 3", 8.333e-10, 8.334e-10},
                      FunctionCase{"CONF:RTIM", "RTIM", 1e-9, 20e-9},
                      FunctionCase{"CONF:FTIM", "FTIM", 1e-9, 20e-9},
                      FunctionCase{"CONF:PWID", "PWID", 30e-9, 70e-9},
                      FunctionCase{"CONF:NWID", "NWID", 30e-9, 70e-9},
                      FunctionCase{"CONF:TINT", "TINT", 1e-9, 1e-6},
                      FunctionCase{"CONF:PHAS", "PHAS", 0, 360},
                      FunctionCase{"CONF:DCYC", "DCYC", 30, 70},
                      FunctionCase{"CONF:TOTalize:TIMED (@1)", "TOT:TIM", 1, 1e12},
                      FunctionCase{"CONF:VOLT:PTP (@1)", "VOLT:PTP", 0.9, 1.1},
                      FunctionCase{"CONF:VOLT:MAX (@2)", "VOLT:MAX 2", 1.6, 1.7},  // AC coupled
                      FunctionCase{"INP2:COUP DC;:CONF:VOLT:MAX (@2)", "VOLT:MAX 2", 3.2, 3.4},
                      FunctionCase{"CONF:VOLT:MIN (@1)", "VOLT:MIN", -0.6, -0.4},
                      FunctionCase{"INP2:COUP DC;:CONF:VOLT:CENT (@2)", "VOLT:CENT 2", 1.6, 1.7},
                      FunctionCase{"CONF:VOLT:CENT (@2)", "VOLT:CENT 2", -0.05, 0.05}));

TEST(SimFunctionQueries, MeasureQueryConfiguresAndReads) {
  Counter counter(Seeded());
  double v = Reading(counter, "MEAS:PER? (@2)");
  EXPECT_NEAR(v, 2e-7, 1e-11);
  EXPECT_EQ(Ask(counter, "FUNC?"), "\"PER 2\"\n");
}

TEST(SimFunctionQueries, TotalizeGrowsWithEachReading) {
  Counter counter(Seeded());
  EXPECT_TRUE(counter.Receive("CONF:TOT:TIMED (@1);:TOT:ARM:STOP:SOUR TIM;TIM 1S"));
  double a = Reading(counter, "READ?");
  double b = Reading(counter, "READ?");
  EXPECT_NEAR(a, 1e7, 10);  // one second of a 10 MHz signal
  EXPECT_NEAR(b - a, 1e7, 10);
}

// ---- the number format ----

TEST(SimFormat, ENotationForEveryMagnitudeAndSign) {
  struct Case {
    const char* value;
    const char* formatted;
  };
  const Case cases[] = {
      {"0", "+0.00000000000E+000"},
      {"-0", "+0.00000000000E+000"},
      {"-1.25", "-1.25000000000E+000"},
      {"10000000.0012", "+1.00000000012E+007"},
      {"1.5E-300", "+1.50000000000E-300"},
      {"12345678901234", "+1.23456789012E+013"},
      {"9.999999999999", "+1.00000000000E+001"},
      {"1E100", "+1.00000000000E+100"},
  };
  Counter counter(Seeded());
  for (const Case& c : cases) {
    EXPECT_TRUE(counter.Receive(std::string("TRACE SCALE,") + c.value));
    EXPECT_EQ(Ask(counter, "TRACE? SCALE"), std::string(c.formatted) + "\n") << c.value;
  }
}

// ---- gate time and noise ----

struct GateCase {
  const char* shortGate;
  const char* longGate;
};
void PrintTo(const GateCase& c, std::ostream* os) {
  *os << c.shortGate;
}

class SimGate : public ::testing::TestWithParam<GateCase> {};

TEST_P(SimGate, LongerGateGivesQuieterFrequency) {
  auto spread = [](const char* setup) {
    Counter counter(Seeded(3));
    EXPECT_TRUE(counter.Receive(setup));
    std::vector<double> v;
    for (int i = 0; i < 40; ++i) v.push_back(Reading(counter, "READ?"));
    return StdDev(v);
  };
  double noisy = spread(GetParam().shortGate);
  double quiet = spread(GetParam().longGate);
  EXPECT_GT(quiet, 0);
  EXPECT_GT(noisy, 10 * quiet) << GetParam().shortGate << " vs " << GetParam().longGate;
}

INSTANTIATE_TEST_SUITE_P(
    StopSources, SimGate,
    ::testing::Values(GateCase{"FREQ:ARM:STOP:SOUR TIM;TIM 10 mS", "FREQ:ARM:STOP:SOUR TIM;TIM 1"},
                      GateCase{"FREQ:ARM:STOP:SOUR DIG;DIG 5", "FREQ:ARM:STOP:SOUR DIG;DIG 11"},
                      GateCase{"CONF:PER;:FREQ:ARM:STOP:SOUR TIM;TIM 0.01",
                               "CONF:PER;:FREQ:ARM:STOP:SOUR TIM;TIM 2"}));

TEST(SimReference, ExternalReferenceRemovesTheTimebaseOffset) {
  auto mean = [](const char* setup) {
    Counter counter(Seeded(5));
    EXPECT_TRUE(counter.Receive(setup));
    double sum = 0;
    for (int i = 0; i < 20; ++i) sum += Reading(counter, "READ?");
    return sum / 20;
  };
  double internal = mean("FREQ:ARM:STOP:SOUR TIM;TIM 10;:ROSC:SOUR INT");
  double external = mean("FREQ:ARM:STOP:SOUR TIM;TIM 10;:ROSC:SOUR EXT");
  EXPECT_NEAR(internal - 1e7, 1.2e-3, 5e-4);  // the internal timebase is about 1.2e-10 off
  EXPECT_NEAR(external - 1e7, 0.0, 5e-4);
}

// ---- when a new measurement is taken ----

TEST(SimRunControl, SingleModeFetchRepeatsUntilANewMeasurement) {
  Counter counter(Seeded());
  EXPECT_TRUE(counter.Receive("INIT:CONT OFF"));
  std::string a = Ask(counter, "FETC?");
  EXPECT_EQ(Ask(counter, "FETC?"), a);
  EXPECT_NE(Ask(counter, "READ?"), a);
  std::string b = Ask(counter, "FETC?");
  EXPECT_TRUE(counter.Receive("INIT"));
  EXPECT_NE(Ask(counter, "FETC?"), b);
}

TEST(SimRunControl, ContinuousModeFetchesFreshReadings) {
  Counter counter(Seeded());
  EXPECT_TRUE(counter.Receive("INIT:CONT ON"));
  EXPECT_NE(Ask(counter, "FETC?"), Ask(counter, "FETC?"));
}

// ---- math and statistics ----

TEST(SimMath, CalcDataAppliesScaleAndOffsetOnlyWhenOn) {
  Counter counter(Seeded());
  EXPECT_TRUE(counter.Receive("INIT:CONT OFF;:TRACE SCALE,2;:TRACE OFFSET,3000.000000 KHZ"));
  EXPECT_TRUE(counter.Receive("INIT"));
  double plain = Reading(counter, "FETC?");
  EXPECT_EQ(Reading(counter, "calc:data?"), plain) << "math is off by default";
  EXPECT_TRUE(counter.Receive("CALC:MATH:STATE ON"));
  EXPECT_NEAR(Reading(counter, "calc:data?"), plain * 2 + 3e6, 1e-3);
  EXPECT_EQ(Reading(counter, "fetch?"), plain) << "FETCh? stays the plain reading";
  EXPECT_TRUE(counter.Receive("CALC:MATH:STATE OFF"));
  EXPECT_EQ(Reading(counter, "calc:data?"), plain);
}

class SimStatistics : public ::testing::Test {
 protected:
  // One block of ten readings per INIT, so every statistic sees the same readings.
  void SetUp() override {
    EXPECT_TRUE(counter_.Receive(
        "INIT:CONT OFF;:CALC3:AVER:STATE ON;:CALC3:AVER:COUNT 10;:TRIG:COUN:AUTO ON"));
    EXPECT_TRUE(counter_.Receive("INIT"));
  }
  double Stat(const char* type) {
    EXPECT_TRUE(counter_.Receive(std::string("CALC3:AVERAGE:TYPE ") + type));
    return Reading(counter_, "calc3:data?");
  }
  Counter counter_{Seeded()};
};

TEST_F(SimStatistics, TypesAgreeWithEachOther) {
  double mean = Stat("MEAN"), sdev = Stat("SDEV"), max = Stat("MAX"), min = Stat("MIN");
  double delta = Stat("Delta"), last = Stat("Meas");
  EXPECT_NEAR(mean, 1e7, 1);
  EXPECT_GT(sdev, 0);
  EXPECT_LT(sdev, max - min);
  EXPECT_LT(min, mean);
  EXPECT_GT(max, mean);
  EXPECT_NEAR(delta, max - min, 2e-4);  // each is rounded to 12 digits
  EXPECT_EQ(last, Reading(counter_, "FETC?")) << "Meas is the latest reading";
}

TEST_F(SimStatistics, LimitFilterKeepsFailingReadingsOut) {
  // Every reading of 10 MHz fails a 0..1 Hz limit, so no reading is left to average.
  EXPECT_TRUE(counter_.Receive(
      "CALC2:LIM:STAT ON;:CALC2:LIM:UPP 1 HZ;:CALC2:LIM:LOW 0;:CALC3:LFIL:STAT ON"));
  EXPECT_TRUE(counter_.Receive("INIT"));
  EXPECT_EQ(Ask(counter_, "calc3:data?"), "+9.91000000000E+037\n");
  EXPECT_EQ(Ask(counter_, "CALC2:LIM:FAIL?"), "1\n");
  EXPECT_TRUE(counter_.Receive("CALC3:LFIL:STAT OFF"));
  EXPECT_TRUE(counter_.Receive("INIT"));
  EXPECT_NEAR(Reading(counter_, "calc3:data?"), 1e7, 1);
}

// ---- repeatability ----

TEST(SimSeed, SameSeedSameReadingsOtherSeedOthers) {
  auto run = [](std::uint64_t seed) {
    Counter counter(Seeded(seed));
    std::vector<std::string> r;
    for (const char* q : {"READ?", "READ?", "CONF:PER (@2);:READ?", "CONF:PHAS;:READ?",
                          "CONF:VOLT:PTP (@1);:READ?"})
      r.push_back(Ask(counter, q));
    return r;
  };
  EXPECT_EQ(run(42), run(42));
  EXPECT_NE(run(42), run(43));
}

}  // namespace
