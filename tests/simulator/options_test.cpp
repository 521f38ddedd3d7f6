// Options from configuration key/value pairs: what each key sets, and clear refusals.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "zc4100_sim.h"

namespace {

using zc::sim::Options;
using Entries = std::vector<std::pair<std::string, std::string>>;

struct GoodCase {
  const char* name;
  Entries entries;
  std::function<void(const Options&)> check;
};
void PrintTo(const GoodCase& c, std::ostream* os) {
  *os << c.name;
}

class SimGoodOptions : public ::testing::TestWithParam<GoodCase> {};

TEST_P(SimGoodOptions, Parsed) {
  std::string error = "untouched";
  std::optional<Options> o = Options::FromKeyValues(GetParam().entries, &error);
  ASSERT_TRUE(o.has_value()) << error;
  GetParam().check(*o);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, SimGoodOptions,
    ::testing::Values(GoodCase{"Empty",
                               {},
                               [](const Options& o) {
                                 EXPECT_EQ(o.serial, "AB12345678");
                                 EXPECT_FALSE(o.seed.has_value());
                                 EXPECT_EQ(o.triggerDelayMs, -1);
                                 EXPECT_FALSE(o.faults.silent);
                                 EXPECT_EQ(o.faults.disconnectAfter, 0);
                                 EXPECT_EQ(o.logFile, "");
                               }},
                      GoodCase{"Scalars",
                               {{"serial", " ZX-1 "},
                                {"SEED", "18446744073709551615"},
                                {"Trigger_Delay_MS", "250"},
                                {"reply_delay_ms", "0"},
                                {"max_wait_ms", "75"},
                                {"LOG", " /nonexistent-folder/sim.log "}},
                               [](const Options& o) {
                                 // Only named: a file that cannot be opened is the counter's to
                                 // report.
                                 EXPECT_EQ(o.logFile, "/nonexistent-folder/sim.log");
                                 EXPECT_EQ(o.serial, "ZX-1");
                                 EXPECT_EQ(o.seed, 18446744073709551615ULL);
                                 EXPECT_EQ(o.triggerDelayMs, 250);
                                 EXPECT_EQ(o.faults.replyDelayMs, 0);
                                 EXPECT_EQ(o.faults.maxWaitMs, 75);
                               }},
                      GoodCase{"DashesLikeTheServerFlags",
                               {{"trigger-delay-ms", "-1"}, {"disconnect-after", "4"}},
                               [](const Options& o) {
                                 EXPECT_EQ(o.triggerDelayMs, -1);
                                 EXPECT_EQ(o.faults.disconnectAfter, 4);
                               }},
                      GoodCase{"EveryFault",
                               {{"fault", "silent, Non_Numeric,long_reply,DECIMAL_COMMA"}},
                               [](const Options& o) {
                                 EXPECT_TRUE(o.faults.silent);
                                 EXPECT_TRUE(o.faults.nonNumeric);
                                 EXPECT_TRUE(o.faults.longReplies);
                                 EXPECT_TRUE(o.faults.decimalComma);
                                 EXPECT_EQ(o.faults.replyDelayMs, 0);
                               }},
                      GoodCase{"NamedFaultsGetDefaultNumbers",
                               {{"fault", "disconnect,slow"}},
                               [](const Options& o) {
                                 EXPECT_EQ(o.faults.disconnectAfter, 1);
                                 EXPECT_EQ(o.faults.replyDelayMs, 1000);
                               }},
                      GoodCase{"ExplicitNumbersWinWhicheverComesFirst",
                               {{"disconnect_after", "5"},
                                {"fault", "disconnect,slow"},
                                {"reply_delay_ms", "20"}},
                               [](const Options& o) {
                                 EXPECT_EQ(o.faults.disconnectAfter, 5);
                                 EXPECT_EQ(o.faults.replyDelayMs, 20);
                               }},
                      GoodCase{"EmptyFaultList",
                               {{"fault", ""}},
                               [](const Options& o) {
                                 EXPECT_FALSE(o.faults.silent);
                                 EXPECT_EQ(o.faults.disconnectAfter, 0);
                               }}),
    [](const auto& info) { return std::string(info.param.name); });

struct BadCase {
  std::string key;
  std::string value;
};
void PrintTo(const BadCase& c, std::ostream* os) {
  *os << c.key << "=" << c.value;
}

class SimBadOptions : public ::testing::TestWithParam<BadCase> {};

TEST_P(SimBadOptions, RefusedWithAnExplanation) {
  std::string error;
  std::optional<Options> o =
      Options::FromKeyValues({{"seed", "1"}, {GetParam().key, GetParam().value}}, &error);
  EXPECT_FALSE(o.has_value());
  // The message names what was wrong so a user can find it in the configuration.
  EXPECT_NE(error.find(GetParam().key.empty() ? "''" : GetParam().key), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Values, SimBadOptions,
    ::testing::Values(BadCase{"colour", "red"}, BadCase{"", "1"}, BadCase{"seed", "-1"},
                      BadCase{"seed", "12abc"}, BadCase{"seed", ""},
                      BadCase{"seed", "99999999999999999999999"}, BadCase{"trigger_delay_ms", "-2"},
                      BadCase{"trigger_delay_ms", "1.5"},
                      BadCase{"trigger_delay_ms", "999999999999"}, BadCase{"disconnect_after", "x"},
                      BadCase{"disconnect_after", "-1"}, BadCase{"reply_delay_ms", "-5"},
                      BadCase{"max_wait_ms", "1e3"}, BadCase{"serial", ""},
                      BadCase{"serial", "A,B"}, BadCase{"serial", std::string("A\nB")},
                      BadCase{"serial", std::string(65, 'S')}, BadCase{"log", ""},
                      BadCase{"log", std::string("a\0b", 3)}));

TEST(SimOptionErrors, UnknownFaultIsNamed) {
  std::string error;
  EXPECT_FALSE(Options::FromKeyValues({{"fault", "silent,gremlins"}}, &error).has_value());
  EXPECT_NE(error.find("gremlins"), std::string::npos) << error;
}

TEST(SimOptionErrors, NullErrorPointerIsAllowed) {
  EXPECT_FALSE(Options::FromKeyValues({{"nope", "1"}}, nullptr).has_value());
}

}  // namespace
