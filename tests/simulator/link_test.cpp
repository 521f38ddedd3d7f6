// The counter as its host sees it through Receive and Reply: external arming and *OPC?, the
// link faults, device clear, remote/local and the record of received messages.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <ostream>
#include <regex>
#include <string>
#include <thread>

#include "sim_test_util.h"
#include "zc4100_sim.h"

namespace {

using namespace std::chrono_literals;
using zc::sim::Clock;
using zc::sim::Counter;
using zc::sim::Options;
using zc::sim::ReadStatus;

// Replies that are not coming give up after this, however far the deadline.
constexpr int kMaxWaitMs = 30;

using zc::sim::testing::Ask;

Options Base() { return zc::sim::testing::FastOptions(1, kMaxWaitMs); }

ReadStatus Read(Counter& c, std::string* reply) {
  return c.Reply(reply, Clock::now() + 10s);
}

// What a logging program sends before it polls *OPC? once a second.
void ArmExternally(Counter& c) {
  EXPECT_TRUE(c.Receive("freq:arm:sour ext"));
  EXPECT_EQ(Ask(c, "freq:arm:sour?"), "EXT\n");
  EXPECT_TRUE(c.Receive("init:cont on"));
  EXPECT_TRUE(c.Receive("init:cont off"));
}

// ---- external arming ----

TEST(SimExternalArm, OpcWaitsForTriggerAndAnswersOnce) {
  Counter counter(Base());  // no scheduled edge
  ArmExternally(counter);
  EXPECT_TRUE(counter.Receive("*OPC?"));
  std::string reply;
  EXPECT_EQ(Read(counter, &reply), ReadStatus::Timeout);
  EXPECT_TRUE(counter.Receive("*OPC?"));  // the program asks again after its read timeout
  EXPECT_EQ(Read(counter, &reply), ReadStatus::Timeout);

  counter.Trigger();
  EXPECT_EQ(Read(counter, &reply), ReadStatus::Ok);
  EXPECT_EQ(reply, "1\n");
  EXPECT_EQ(Read(counter, &reply), ReadStatus::Timeout) << "one answer, not one per query";
  // The measurement is complete now, so the next *OPC? has nothing to wait for.
  EXPECT_EQ(Ask(counter, "*OPC?"), "1\n");
}

TEST(SimExternalArm, TriggerFromAnotherThreadWakesAWaitingRead) {
  Options o = Base();
  o.faults.maxWaitMs = 0;  // only the trigger may end this wait
  Counter counter(o);
  ArmExternally(counter);
  EXPECT_TRUE(counter.Receive("*OPC?"));
  std::thread edge([&] {
    std::this_thread::sleep_for(20ms);
    counter.Trigger();
  });
  std::string reply;
  EXPECT_EQ(Read(counter, &reply), ReadStatus::Ok);
  EXPECT_EQ(reply, "1\n");
  edge.join();
}

TEST(SimExternalArm, ScheduledTriggerReleasesOpc) {
  Options o = Base();
  o.triggerDelayMs = 50;
  Counter counter(o);
  ArmExternally(counter);
  EXPECT_EQ(Ask(counter, "*OPC?"), "1\n");
}

TEST(SimExternalArm, DistantScheduledTriggerIsNotWaitedForPastMaxWait) {
  Options o = Base();
  o.triggerDelayMs = 600000;
  Counter counter(o);
  ArmExternally(counter);
  EXPECT_TRUE(counter.Receive("*OPC?"));
  std::string reply;
  EXPECT_EQ(counter.Reply(&reply, Clock::now() + 3s), ReadStatus::Timeout);
  counter.Trigger();
  EXPECT_EQ(Read(counter, &reply), ReadStatus::Ok);
}

TEST(SimExternalArm, OpcCommandSetsItsBitAtTheTrigger) {
  Counter counter(Base());
  ArmExternally(counter);
  EXPECT_TRUE(counter.Receive("*OPC"));
  EXPECT_EQ(Ask(counter, "*ESR?"), "0\n");
  counter.Trigger();
  EXPECT_EQ(Ask(counter, "*ESR?"), "1\n");
}

struct ImmediateCase {
  const char* name;
  const char* setup;
};
void PrintTo(const ImmediateCase& c, std::ostream* os) {
  *os << c.name;
}

class SimOpcAtOnce : public ::testing::TestWithParam<ImmediateCase> {};

TEST_P(SimOpcAtOnce, NothingToWaitFor) {
  Counter counter(Base());
  EXPECT_TRUE(counter.Receive(GetParam().setup));
  EXPECT_EQ(Ask(counter, "*OPC?"), "1\n");
}

INSTANTIATE_TEST_SUITE_P(
    Setups, SimOpcAtOnce,
    ::testing::Values(
        ImmediateCase{"ImmediateArming", "freq:arm:sour imm;:init:cont on;:init:cont off"},
        ImmediateCase{"ContinuousMode", "freq:arm:sour ext;:init:cont on"},
        ImmediateCase{"OtherGroupArmed", "tint:arm:sour ext;:init:cont on;:init:cont off"},
        ImmediateCase{"NeverStarted", "init:cont off;:freq:arm:sour ext"},
        ImmediateCase{"ArmingUndone", "freq:arm:sour ext;:init:cont off;:freq:arm:sour imm"},
        ImmediateCase{"Reset", "freq:arm:sour ext;:init:cont on;:init:cont off;*RST"}),
    [](const auto& info) { return std::string(info.param.name); });

struct GroupCase {
  const char* name;
  const char* setup;
};
void PrintTo(const GroupCase& c, std::ostream* os) {
  *os << c.name;
}

class SimArmGroups : public ::testing::TestWithParam<GroupCase> {};

TEST_P(SimArmGroups, EachGroupWaitsOnItsOwnArming) {
  Counter counter(Base());
  EXPECT_TRUE(counter.Receive(GetParam().setup));
  EXPECT_TRUE(counter.Receive("INIT:CONT OFF;:INIT;*OPC?"));
  std::string reply;
  EXPECT_EQ(Read(counter, &reply), ReadStatus::Timeout);
  counter.Trigger();
  EXPECT_EQ(Read(counter, &reply), ReadStatus::Ok);
}

INSTANTIATE_TEST_SUITE_P(
    Groups, SimArmGroups,
    ::testing::Values(GroupCase{"Frequency", "FREQ:ARM:STAR:SOUR EXT"},
                      GroupCase{"FrequencyStop", "CONF:PER (@1);:FREQ:ARM:STOP:SOUR EXT"},
                      GroupCase{"TimeInterval", "CONF:TINT;:TINT:ARM:SOUR EXT"},
                      GroupCase{"Phase", "CONF:PHAS;:PHASe:ARM:STARt:SOURce EXTernal"},
                      GroupCase{"Totalize", "CONF:TOT:TIMED (@1);:TOT:ARM:STAR:SOUR EXT"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- bus behaviour: interrupted and unterminated queries, device clear ----

TEST(SimBus, NewMessageInterruptsAnUnreadAnswer) {
  Counter counter(Base());
  EXPECT_TRUE(counter.Receive("*IDN?"));
  EXPECT_EQ(Ask(counter, "FUNC?"), "\"FREQ\"\n");
  EXPECT_EQ(Ask(counter, "SYST:ERR?"), "-410,\"Query INTERRUPTED\"\n");
}

TEST(SimBus, ReadWithNothingAskedIsUnterminated) {
  Counter counter(Base());
  EXPECT_TRUE(counter.Receive("*CLS"));
  std::string reply;
  EXPECT_EQ(Read(counter, &reply), ReadStatus::Timeout);
  EXPECT_EQ(Ask(counter, "SYST:ERR?"), "-420,\"Query UNTERMINATED\"\n");
  EXPECT_EQ(Ask(counter, "*ESR?"), "4\n");
}

TEST(SimBus, TryReplyPeeksWithoutSideEffects) {
  Counter counter(Base());
  std::string reply;
  std::optional<Clock::time_point> due = Clock::now();
  EXPECT_FALSE(counter.TryReply(&reply, &due));
  EXPECT_FALSE(due.has_value());
  EXPECT_TRUE(counter.Receive("*IDN?"));
  EXPECT_TRUE(counter.TryReply(&reply));
  EXPECT_EQ(Ask(counter, "SYST:ERR?"), "+0,\"No error\"\n");
}

TEST(SimBus, DeviceClearDiscardsAnswersAndHeldOpc) {
  Counter counter(Base());
  EXPECT_TRUE(counter.Receive("*IDN?"));
  counter.DeviceClear();
  std::string reply;
  EXPECT_EQ(Read(counter, &reply), ReadStatus::Timeout);

  ArmExternally(counter);
  EXPECT_TRUE(counter.Receive("*OPC?"));
  counter.DeviceClear();
  counter.Trigger();
  EXPECT_EQ(Read(counter, &reply), ReadStatus::Timeout);
  EXPECT_EQ(Ask(counter, "*IDN?"), "Zarnith,ZC4100,AB12345678,1.03\n") << "still answers after";
}

// ---- faults ----

TEST(SimFaults, SilentNeverAnswersButStillObeys) {
  Options o = Base();
  o.faults.silent = true;
  Counter counter(o);
  EXPECT_TRUE(counter.Receive("*IDN?"));
  std::string reply;
  EXPECT_EQ(counter.Reply(&reply, Clock::now() + 1h), ReadStatus::Timeout);
  EXPECT_EQ(counter.Reply(&reply, Clock::now()), ReadStatus::Timeout);
  EXPECT_TRUE(counter.Receive("syst:comm:rlst loc"));
  EXPECT_FALSE(counter.Remote());
}

TEST(SimFaults, SilentWithoutMaxWaitRunsToTheDeadline) {
  Options o = Base();
  o.faults.silent = true;
  o.faults.maxWaitMs = 0;
  Counter counter(o);
  EXPECT_TRUE(counter.Receive("*IDN?"));
  std::string reply;
  EXPECT_EQ(counter.Reply(&reply, Clock::now() + 20ms), ReadStatus::Timeout);
}

TEST(SimFaults, DisconnectAfterNMessages) {
  Options o = Base();
  o.faults.disconnectAfter = 2;
  Counter counter(o);
  EXPECT_EQ(Ask(counter, "*IDN?"), "Zarnith,ZC4100,AB12345678,1.03\n");
  EXPECT_FALSE(counter.Disconnected());
  EXPECT_EQ(Ask(counter, "FUNC?"), "\"FREQ\"\n") << "the last message before the drop is answered";
  EXPECT_TRUE(counter.Disconnected());
  EXPECT_FALSE(counter.Receive("*IDN?"));
  std::string reply;
  EXPECT_EQ(counter.Reply(&reply, Clock::now() + 1h), ReadStatus::Disconnected);
  EXPECT_EQ(counter.Received().size(), 2u);

  counter.Reconnect();
  EXPECT_FALSE(counter.Disconnected());
  EXPECT_EQ(Ask(counter, "*OPC?"), "1\n");
}

TEST(SimFaults, SlowRepliesArriveAfterTheirDelay) {
  Options o = Base();
  o.faults.replyDelayMs = 40;
  Counter counter(o);
  EXPECT_EQ(Ask(counter, "*IDN?"), "Zarnith,ZC4100,AB12345678,1.03\n");
}

TEST(SimFaults, SlowReplyBeyondTheDeadlineTimesOutAndStaysReadable) {
  Options o = Base();
  o.faults.replyDelayMs = 200;
  Counter counter(o);
  EXPECT_TRUE(counter.Receive("*IDN?"));
  std::string reply;
  EXPECT_EQ(counter.Reply(&reply, Clock::now()), ReadStatus::Timeout);
  EXPECT_EQ(Read(counter, &reply), ReadStatus::Ok);
  EXPECT_EQ(reply, "Zarnith,ZC4100,AB12345678,1.03\n");
}

TEST(SimFaults, MaxWaitCapsAWaitForNothing) {
  Counter counter(Base());
  std::string reply;
  EXPECT_EQ(counter.Reply(&reply, Clock::now() + 24h), ReadStatus::Timeout);
}

struct ReadingFaultCase {
  const char* name;
  std::function<void(Options&)> apply;
  const char* pattern;  // a reading must match this
};
void PrintTo(const ReadingFaultCase& c, std::ostream* os) {
  *os << c.name;
}

class SimReadingFaults : public ::testing::TestWithParam<ReadingFaultCase> {};

TEST_P(SimReadingFaults, ReadingsAreBentButOtherRepliesAreNot) {
  Options o = Base();
  GetParam().apply(o);
  Counter counter(o);
  for (const char* q : {"READ?", "fetch?", "calc:data?", "calc3:data?", "MEAS:FREQ?"}) {
    std::string r = Ask(counter, q);
    EXPECT_TRUE(std::regex_match(r, std::regex(GetParam().pattern))) << q << " -> " << r;
  }
  EXPECT_EQ(Ask(counter, "*IDN?"), "Zarnith,ZC4100,AB12345678,1.03\n");
  EXPECT_EQ(Ask(counter, "TRACE? SCALE"), "+1.00000000000E+000\n");
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, SimReadingFaults,
    ::testing::Values(ReadingFaultCase{"None", [](Options&) {}, R"([+-]\d\.\d{11}E[+-]\d{3}\n)"},
                      ReadingFaultCase{"NonNumeric", [](Options& o) { o.faults.nonNumeric = true; },
                                       R"([^0-9+\-.]*\n)"},
                      ReadingFaultCase{"Long", [](Options& o) { o.faults.longReplies = true; },
                                       R"([+-]\d\.\d{11}0{61}E[+-]\d{3}\n)"},  // 80 characters
                      ReadingFaultCase{"DecimalComma",
                                       [](Options& o) { o.faults.decimalComma = true; },
                                       R"([+-]\d,\d{11}E[+-]\d{3}\n)"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- remote/local and the record of messages ----

TEST(SimRemote, LocalOnlyByGoToLocalOrRlstLoc) {
  Counter counter(Base());
  EXPECT_FALSE(counter.Remote()) << "front panel at power-on";
  EXPECT_TRUE(counter.Receive("*CLS"));
  EXPECT_TRUE(counter.Remote());
  counter.GoToLocal();
  EXPECT_FALSE(counter.Remote());
  EXPECT_EQ(Ask(counter, "SYST:COMM:RLST?"), "REM\n") << "asking is a command too";
  EXPECT_TRUE(counter.Receive("syst:comm:rlst loc"));
  EXPECT_FALSE(counter.Remote());
  EXPECT_TRUE(counter.Receive("syst:comm:rlst rwl"));
  EXPECT_TRUE(counter.Remote());
  EXPECT_EQ(Ask(counter, "SYST:COMM:RLST?"), "RWL\n");
}

TEST(SimReceived, KeepsEveryMessageByteForByte) {
  Counter counter(Base());
  const std::string messages[] = {std::string("syst:comm:rlst loc\0", 19), "*IDN?\n",
                                  std::string("\0\xff;\n\0", 5), ""};
  for (const std::string& m : messages) EXPECT_TRUE(counter.Receive(m));
  std::vector<std::string> got = counter.Received();
  ASSERT_EQ(got.size(), 4u);
  for (std::size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i], messages[i]) << i;
  counter.ClearReceived();
  EXPECT_TRUE(counter.Received().empty());
}

}  // namespace
