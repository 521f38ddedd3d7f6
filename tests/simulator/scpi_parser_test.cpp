// The SCPI parser as programs meet it: header forms, compound messages, terminators, numbers
// with units, and the error queue and event register when something is wrong.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ostream>
#include <string>

#include "sim_test_util.h"
#include "zc4100_sim.h"

namespace {

using namespace std::chrono_literals;
using zc::sim::Clock;
using zc::sim::Counter;
using zc::sim::Options;
using zc::sim::ReadStatus;

using zc::sim::testing::Ask;

Options Quick() { return zc::sim::testing::FastOptions(7); }

std::string NextError(Counter& c) {
  return Ask(c, "SYST:ERR?");
}

double Number(const std::string& reply) {
  char* end = nullptr;
  double v = std::strtod(reply.c_str(), &end);
  EXPECT_EQ(std::string(end), "\n") << "not a number: " << reply;
  return v;
}

// ---- short and long forms, optional nodes, suffixes ----

struct FormCase {
  const char* set;
  const char* query;
  const char* answer;
};
void PrintTo(const FormCase& c, std::ostream* os) {
  *os << c.set;
}

class SimHeaderForms : public ::testing::TestWithParam<FormCase> {};

TEST_P(SimHeaderForms, SetThenQueryAnswers) {
  const FormCase& c = GetParam();
  Counter counter(Quick());
  EXPECT_TRUE(counter.Receive(c.set));
  EXPECT_EQ(Ask(counter, c.query), std::string(c.answer) + "\n");
  EXPECT_EQ(NextError(counter), "+0,\"No error\"\n") << c.set;
}

INSTANTIATE_TEST_SUITE_P(
    Commands, SimHeaderForms,
    ::testing::Values(
        FormCase{"FREQuency:ARM:STARt:SOURce EXTernal", "FREQ:ARM:STAR:SOUR?", "EXT"},
        FormCase{"freq:arm:sour ext", "FREQuency:ARM:STARt:SOURce?", "EXT"},
        FormCase{":SENS:FREQ:ARM:STOP:SOUR TIM", "freq:arm:stop:sour?", "TIM"},
        FormCase{"FREQuency:ARM:STOP:SOURce DIGits", "FREQ:ARM:STOP:SOUR?", "DIG"},
        FormCase{"sense:frequency:arm:stop:timer 0.5S", "FREQ:ARM:STOP:TIM?",
                 "+5.00000000000E-001"},
        FormCase{"FREQuency:ARM:STOP:TIMer 1", "FREQ:ARM:STOP:TIM?", "+1.00000000000E+000"},
        FormCase{"FREQuency:ARM:STOP:DIGits 5", "freq:arm:stop:dig?", "+5.00000000000E+000"},
        FormCase{"FREQuency:ARM:STOP:SLOPe NEGative", "FREQ:ARM:STOP:SLOP?", "NEG"},
        FormCase{"TINTerval:ARM:STARt:SLOPe NEGative", "tint:arm:slop?", "NEG"},
        FormCase{"tint:arm:sour ext", "TINT:ARM:STAR:SOUR?", "EXT"},
        FormCase{"PHASe:ARM:STARt:SOURce EXTernal", "phas:arm:sour?", "EXT"},
        FormCase{"TOTalize:ARM:STOP:SOURce EXTernal", "TOT:ARM:STOP:SOUR?", "EXT"},
        FormCase{"TOTalize:ARM:STOP:TIMer 1S", "TOT:ARM:STOP:TIM?", "+1.00000000000E+000"},
        FormCase{"TOTalize:ARM:STARt:SLOPe NEG", "TOT:ARM:SLOP?", "NEG"},
        FormCase{"ROSC:SOURCE EXT", "ROSC:SOUR?", "EXT"},
        FormCase{"ROSC:SOURCE:AUTO OFF", "ROSCillator:SOURce:AUTO?", "0"},
        FormCase{"VOLT:MODE FAST", "VOLTage:MODE?", "FAST"},
        FormCase{"EVEN2:SLOP NEG", "EVENT2:SLOPE?", "NEG"},
        FormCase{"EVEN:HYST:REL 100", "EVENt1:HYSTeresis:RELative?", "+1.00000000000E+002"},
        FormCase{"EVEN:LEV:AUTO 0", "EVEN:LEV:AUTO?", "0"},
        FormCase{"EVEN2:LEV:ABS -1.25", "EVEN2:LEV?", "-1.25000000000E+000"},
        FormCase{"EVEN:LEV:REL 50", "EVEN:LEV:REL?", "+5.00000000000E+001"},
        FormCase{"INP2:COUP DC", "INPUT2:COUPLING?", "DC"},
        FormCase{"INP:IMP 50", "INP1:IMP?", "+5.00000000000E+001"},
        FormCase{"INP2:IMP 1000000", "INP2:IMP?", "+1.00000000000E+006"},
        FormCase{"INP:ATT 10", "INP:ATT?", "+1.00000000000E+001"},
        FormCase{"INP2:FILT 1", "INP2:FILT?", "1"},
        FormCase{"CALCulate2:LIMit:STATe ON", "CALC2:LIM?", "1"},
        FormCase{"CALC:MATH:STATE ON", "CALCulate1:MATH:STATe?", "1"},
        FormCase{"CALC3:AVER:STATE ON", "CALC3:AVER?", "1"},
        FormCase{"CALC3:AVERAGE:TYPE Delta", "CALC3:AVER:TYPE?", "DELT"},
        FormCase{"CALC3:AVERAGE:TYPE Meas", "CALC3:AVER:TYPE?", "MEAS"},
        FormCase{"CALC3:AVER:COUNT 10", "CALC3:AVER:COUN?", "+1.00000000000E+001"},
        FormCase{"CALCulate3:LFILter:STATe ON", "CALC3:LFIL?", "1"},
        FormCase{"TRIGger:COUNt:AUTO ON", "TRIG:COUN:AUTO?", "1"},
        FormCase{"INIT:AUTO ON", "INITiate:AUTO?", "1"},
        FormCase{"INIT:CONT OFF", "INIT:CONT?", "0"},
        FormCase{"SYST:COMM:SER:CONT:DTR LIM", "SYST:COMM:SER:CONT:DTR?", "LIM"},
        FormCase{"SYST:COMM:SER:SOUR DB9", "SYSTem:COMMunicate:SERial:SOURce?", "DB9"},
        FormCase{"TRACE SCALE,2.5", "TRACE? SCALE", "+2.50000000000E+000"},
        FormCase{"TRACE OFFSET,3000.000000 KHZ", "TRACE? OFFSET", "+3.00000000000E+006"},
        FormCase{"FUNC \"FREQ 2\"", "FUNCtion?", "\"FREQ 2\""}));

// ---- numbers with multipliers and units ----

struct NumberCase {
  const char* text;
  double value;
};
void PrintTo(const NumberCase& c, std::ostream* os) {
  *os << c.text;
}

class SimNumberSuffixes : public ::testing::TestWithParam<NumberCase> {};

TEST_P(SimNumberSuffixes, LimitTakesScaledValue) {
  Counter counter(Quick());
  EXPECT_TRUE(counter.Receive(std::string("CALCulate2:LIMit:UPPer ") + GetParam().text));
  double v = Number(Ask(counter, "CALC2:LIM:UPP?"));
  EXPECT_NEAR(v, GetParam().value, std::fabs(GetParam().value) * 1e-11) << GetParam().text;
  EXPECT_EQ(NextError(counter), "+0,\"No error\"\n") << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Forms, SimNumberSuffixes,
    ::testing::Values(NumberCase{"5 KHZ", 5e3}, NumberCase{"5000.000000 uHZ", 5e-3},
                      NumberCase{"5  HZ", 5}, NumberCase{"0HZ", 0}, NumberCase{"2 mS", 2e-3},
                      NumberCase{"50.0000000000000000", 50}, NumberCase{"1 uDeg", 1e-6},
                      NumberCase{"3 MHZ", 3e6}, NumberCase{"3 MAHZ", 3e6}, NumberCase{"7 MV", 7e-3},
                      NumberCase{"1.5 ns", 1.5e-9}, NumberCase{"-1.5E3", -1500},
                      NumberCase{"+.5", 0.5}, NumberCase{"#H1F", 31}, NumberCase{"2 GHZ", 2e9}));

TEST(SimNumberSyntax, MalformedNumbersAreIllegalValues) {
  for (const char* text :
       {"abc", "5 FOO", "1e999", "inf", "nan", "0x10", "1.2.3", "--1", "'5'", "5 K HZ", "#HZZ"}) {
    Counter counter(Quick());
    EXPECT_TRUE(counter.Receive(std::string("CALC2:LIM:UPP ") + text));
    EXPECT_EQ(NextError(counter), "-224,\"Illegal parameter value\"\n") << text;
  }
}

// ---- errors, the error queue and the event status register ----

struct ErrorCase {
  std::string message;
  const char* error;
  int esrBit;
};
void PrintTo(const ErrorCase& c, std::ostream* os) {
  *os << c.message;
}

class SimErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(SimErrors, QueuedWithTheirEventBit) {
  const ErrorCase& c = GetParam();
  Counter counter(Quick());
  EXPECT_TRUE(counter.Receive(c.message));
  EXPECT_EQ(NextError(counter), std::string(c.error) + "\n") << c.message;
  EXPECT_EQ(NextError(counter), "+0,\"No error\"\n");
  EXPECT_EQ(Ask(counter, "*ESR?"), std::to_string(c.esrBit) + "\n");
  EXPECT_EQ(Ask(counter, "*esr?"), "0\n") << "reading *ESR? clears it";
}

constexpr int kCommandError = 32;
constexpr int kExecutionError = 16;

INSTANTIATE_TEST_SUITE_P(
    Cases, SimErrors,
    ::testing::Values(
        ErrorCase{"FOO:BAR", "-113,\"Undefined header\"", kCommandError},
        ErrorCase{"*FOO", "-113,\"Undefined header\"", kCommandError},
        ErrorCase{"FETC", "-113,\"Undefined header\"", kCommandError},   // query-only header
        ErrorCase{"INIT?", "-113,\"Undefined header\"", kCommandError},  // command-only header
        ErrorCase{"FREQ:ARM:SOURC EXT", "-113,\"Undefined header\"", kCommandError},
        ErrorCase{"EVEN3:SLOP POS", "-113,\"Undefined header\"", kCommandError},
        ErrorCase{"CALC4:DATA?", "-113,\"Undefined header\"", kCommandError},
        ErrorCase{"FREQ:ARM:SOUR SIDEWAYS", "-224,\"Illegal parameter value\"", kExecutionError},
        ErrorCase{"INP:IMP -5", "-224,\"Illegal parameter value\"", kExecutionError},
        ErrorCase{"CALC3:AVER:COUN 0", "-224,\"Illegal parameter value\"", kExecutionError},
        ErrorCase{"FREQ:ARM:STOP:TIM 5000", "-224,\"Illegal parameter value\"", kExecutionError},
        ErrorCase{"INP:COUP 'AC'", "-224,\"Illegal parameter value\"", kExecutionError},
        ErrorCase{"CONF:PWID (@2)", "-224,\"Illegal parameter value\"", kExecutionError},
        ErrorCase{"CONF:FREQ:RAT (@2),(@3)", "-224,\"Illegal parameter value\"", kExecutionError},
        ErrorCase{"CONF:FREQ (@4)", "-224,\"Illegal parameter value\"", kExecutionError},
        ErrorCase{"FUNC 'BOGUS'", "-224,\"Illegal parameter value\"", kExecutionError},
        ErrorCase{"TRACE GAIN,2", "-224,\"Illegal parameter value\"", kExecutionError},
        ErrorCase{"INP:COUP", "-109,\"Missing parameter\"", kCommandError},
        ErrorCase{"TRACE SCALE", "-109,\"Missing parameter\"", kCommandError},
        ErrorCase{"*ESE", "-109,\"Missing parameter\"", kCommandError},
        ErrorCase{"*IDN? 1", "-108,\"Parameter not allowed\"", kCommandError},
        ErrorCase{"FREQ:ARM:SOUR EXT,IMM", "-108,\"Parameter not allowed\"", kCommandError},
        ErrorCase{"INIT:CONT? ON", "-108,\"Parameter not allowed\"", kCommandError},
        ErrorCase{"FREQ::ARM:SOUR EXT", "-102,\"Syntax error\"", kCommandError},
        ErrorCase{"FUNC 'unterminated", "-102,\"Syntax error\"", kCommandError},
        ErrorCase{"CONF:PER (@1", "-102,\"Syntax error\"", kCommandError},
        ErrorCase{"INP:COUP AC,", "-102,\"Syntax error\"", kCommandError},
        ErrorCase{"FREQ(", "-102,\"Syntax error\"", kCommandError},
        ErrorCase{"*", "-102,\"Syntax error\"", kCommandError},
        ErrorCase{std::string("INP:\0COUP AC", 12), "-102,\"Syntax error\"", kCommandError},
        // The ';' inside the string is not a separator: the string itself is no function.
        ErrorCase{"FUNC 'FREQ;2'", "-224,\"Illegal parameter value\"", kExecutionError}));

TEST(SimErrorQueue, OverflowKeepsOldestAndSaysSo) {
  Counter counter(Quick());
  for (int i = 0; i < 40; ++i) EXPECT_TRUE(counter.Receive("NOPE"));
  int undefined = 0;
  std::string e;
  while ((e = NextError(counter)) == "-113,\"Undefined header\"\n") ++undefined;
  EXPECT_EQ(e, "-350,\"Queue overflow\"\n");
  EXPECT_EQ(NextError(counter), "+0,\"No error\"\n");
  EXPECT_GT(undefined, 0);
  EXPECT_LT(undefined, 40);
}

TEST(SimErrorQueue, ClsEmptiesQueueAndRegister) {
  Counter counter(Quick());
  EXPECT_TRUE(counter.Receive("NOPE;FREQ:ARM:SOUR X"));
  EXPECT_TRUE(counter.Receive("*CLS"));
  EXPECT_EQ(Ask(counter, "*ESR?"), "0\n");
  EXPECT_EQ(NextError(counter), "+0,\"No error\"\n");
}

TEST(SimErrorQueue, ErrorsFromOneMessageComeInOrder) {
  Counter counter(Quick());
  EXPECT_TRUE(counter.Receive("NOPE;INP:COUP;INP:COUP X"));
  EXPECT_EQ(NextError(counter), "-113,\"Undefined header\"\n");
  EXPECT_EQ(NextError(counter), "-109,\"Missing parameter\"\n");
  EXPECT_EQ(NextError(counter), "-224,\"Illegal parameter value\"\n");
  EXPECT_EQ(Ask(counter, "*ESR?"), std::to_string(kCommandError | kExecutionError) + "\n");
}

// ---- compound messages and the header path ----

struct CompoundCase {
  const char* message;
  const char* check;   // a query afterwards
  const char* answer;  // its reply, without the line feed
};
void PrintTo(const CompoundCase& c, std::ostream* os) {
  *os << c.message;
}

class SimCompound : public ::testing::TestWithParam<CompoundCase> {};

TEST_P(SimCompound, EveryPartTakesEffect) {
  const CompoundCase& c = GetParam();
  Counter counter(Quick());
  EXPECT_TRUE(counter.Receive(c.message));
  EXPECT_EQ(Ask(counter, c.check), std::string(c.answer) + "\n") << c.message;
  EXPECT_EQ(NextError(counter), "+0,\"No error\"\n") << c.message;
}

INSTANTIATE_TEST_SUITE_P(
    Messages, SimCompound,
    ::testing::Values(
        // A header without ':' continues from the previous command's path.
        CompoundCase{"FREQ:ARM:STAR:SOUR EXT;SLOP NEG", "FREQ:ARM:STAR:SOUR?;SLOP?", "EXT;NEG"},
        CompoundCase{"FREQ:ARM:SOUR EXT;SLOP NEG", "FREQ:ARM:SLOP?", "NEG"},
        CompoundCase{"INP2:COUP DC;IMP 50", "INP2:COUP?;IMP?", "DC;+5.00000000000E+001"},
        // Common commands leave the path alone.
        CompoundCase{"INP2:COUP DC;*CLS;IMP 50", "INP2:IMP?", "+5.00000000000E+001"},
        // A leading ':' goes back to the root.
        CompoundCase{"INP:COUP DC;:INP2:COUP DC", "INP2:COUP?", "DC"},
        // A full header from the root is forgiven even without the ':'.
        CompoundCase{"INP:COUP DC;INP2:COUP DC", "INP2:COUP?", "DC"},
        CompoundCase{"FREQ:ARM:STOP:SOUR TIM;TIM 0.5;:TOT:ARM:STOP:TIM 2",
                     "FREQ:ARM:STOP:TIM?;:TOT:ARM:STOP:TIM?",
                     "+5.00000000000E-001;+2.00000000000E+000"},
        CompoundCase{"INP:COUP DC;;", "INP:COUP?", "DC"}));

TEST(SimCompoundMessages, QueriesShareOneReplyMessage) {
  Counter counter(Quick());
  EXPECT_EQ(Ask(counter, "*IDN?;FUNC?;*OPC?"), "Zarnith,ZC4100,AB12345678,1.03;\"FREQ\";1\n");
  std::string extra;
  EXPECT_EQ(counter.Reply(&extra, Clock::now() + 10ms), ReadStatus::Timeout);
}

TEST(SimCompoundMessages, ErrorInOnePartSparesTheOthers) {
  Counter counter(Quick());
  EXPECT_EQ(Ask(counter, "INP:COUP DC;NOPE;INP:COUP?"), "DC\n");
  EXPECT_EQ(NextError(counter), "-113,\"Undefined header\"\n");
}

// ---- message terminators ----

TEST(SimTerminators, TrailingLineFeedNulAndCarriageReturnAreForgiven) {
  const std::string forms[] = {
      "*IDN?", "*IDN?\n",  std::string("*IDN?\0", 6), std::string("*IDN?\n\0\0", 8), "*IDN?\r\n",
      "*idn?", "  *IDN?  "};
  for (const std::string& m : forms) {
    Counter counter(Quick());
    EXPECT_EQ(Ask(counter, m), "Zarnith,ZC4100,AB12345678,1.03\n");
    EXPECT_EQ(NextError(counter), "+0,\"No error\"\n");
  }
}

TEST(SimTerminators, LocalCommandWithTrailingNul) {
  Counter counter(Quick());
  EXPECT_TRUE(counter.Receive("*CLS"));
  EXPECT_TRUE(counter.Remote());
  EXPECT_TRUE(counter.Receive(std::string("syst:comm:rlst loc\0", 19)));
  EXPECT_FALSE(counter.Remote());
  EXPECT_EQ(NextError(counter), "+0,\"No error\"\n");
}

TEST(SimTerminators, LineFeedInsideAMessageStartsTheNext) {
  Counter counter(Quick());
  EXPECT_TRUE(counter.Receive("*IDN?\nFUNC?\n"));
  std::string a, b;
  ASSERT_EQ(counter.Reply(&a, Clock::now() + 5s), ReadStatus::Ok);
  ASSERT_EQ(counter.Reply(&b, Clock::now() + 5s), ReadStatus::Ok);
  EXPECT_EQ(a, "Zarnith,ZC4100,AB12345678,1.03\n");
  EXPECT_EQ(b, "\"FREQ\"\n");
}

TEST(SimCommonCommands, IdentityUsesTheConfiguredSerial) {
  Options o = Quick();
  o.serial = "ZX-0042";
  Counter counter(o);
  EXPECT_EQ(Ask(counter, "*IDN?"), "Zarnith,ZC4100,ZX-0042,1.03\n");
}

TEST(SimCommonCommands, ResetRestoresSettingsButKeepsErrors) {
  Counter counter(Quick());
  EXPECT_TRUE(counter.Receive("CONF:PER (@2);:FREQ:ARM:SOUR EXT;:INP:COUP DC;:NOPE"));
  EXPECT_TRUE(counter.Receive("*RST"));
  EXPECT_EQ(Ask(counter, "FUNC?;:FREQ:ARM:SOUR?;:INP:COUP?;:INIT:CONT?"), "\"FREQ\";IMM;AC;1\n");
  EXPECT_EQ(NextError(counter), "-113,\"Undefined header\"\n");
}

TEST(SimCommonCommands, EnableRegistersAndStatusByte) {
  Counter counter(Quick());
  EXPECT_TRUE(counter.Receive("*ESE 32;*SRE 32"));
  EXPECT_EQ(Ask(counter, "*ESE?;*SRE?;*STB?"), "32;32;0\n");
  EXPECT_TRUE(counter.Receive("NOPE"));
  // Error queue not empty (4), event summary (32), service request (64).
  EXPECT_EQ(Ask(counter, "*STB?"), "100\n");
  EXPECT_TRUE(counter.Receive("*ESE 256"));
  EXPECT_EQ(Ask(counter, "*ESE?"), "32\n");
}

}  // namespace
