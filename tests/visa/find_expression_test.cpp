#include "find_expression.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zc::visa {
namespace {

struct MatchCase {
  std::string expression;
  std::vector<std::string> matches;
  std::vector<std::string> misses;
};

const std::vector<std::string> kGpibNames = {"GPIB0::22::INSTR", "GPIB0::22::3::INSTR",
                                             "GPIB12::5::INSTR", "GPIB0::INTFC"};
const std::vector<std::string> kTcpipNames = {"TCPIP0::h::5025::SOCKET",
                                              "TCPIP0::192.168.0.5::inst0::INSTR"};

const MatchCase kCases[] = {
    {"GPIB[0-9]*::?*INSTR",
     {"GPIB0::22::INSTR", "GPIB0::22::3::INSTR", "GPIB12::5::INSTR", "gpib0::22::instr",
      "GPIB::1::INSTR"},
     {"GPIB0::INTFC", "USB0::0x1A5B::0x1004::X::INSTR", "TCPIP0::h::5025::SOCKET",
      "GPIB0::22::INSTRX", "XGPIB0::22::INSTR", "GPIB0:22::INSTR"}},
    {"USB[0-9]*::0x1A5B::0x1004::?*INSTR",
     {"USB0::0x1A5B::0x1004::AB12345678::INSTR", "USB0::0x1a5b::0x1004::AB12345678::0::INSTR",
      "USB10::0x1A5B::0x1004::X::INSTR"},
     {"USB0::6747::4100::AB12345678::0::INSTR", "USB0::0x1A5B::0x1005::X::INSTR",
      "USBX::0x1A5B::0x1004::X::INSTR"}},
    {"USB[0-9]::0x1A5B::0x1004::?*INSTR",
     {"USB0::0x1A5B::0x1004::AB12345678::INSTR", "USB0::0x1a5b::0x1004::AB12345678::0::INSTR"},
     {"USB10::0x1A5B::0x1004::X::INSTR", "USB::0x1A5B::0x1004::X::INSTR"}},
    {"USB[0-9]*::6747::4100::?*INSTR",
     {"USB0::6747::4100::AB12345678::0::INSTR"},
     {"USB0::0x1A5B::0x1004::AB12345678::0::INSTR"}},
    {"GPIB?*", kGpibNames, {"USB0::1::2::S::INSTR", "TCPIP0::h::inst0::INSTR", "GPI"}},
    {"TCPIP?*", kTcpipNames, {"GPIB0::22::INSTR", "TCPI"}},
    {"?*INSTR",
     {"GPIB0::22::INSTR", "USB0::1::2::S::INSTR", "TCPIP0::h::inst0::INSTR", "INSTR"},
     {"GPIB0::INTFC", "TCPIP0::h::5025::SOCKET"}},
    {"?*", {"GPIB0::INTFC", "TCPIP0::h::5025::SOCKET", "x", ""}, {}},
    {"(GPIB|USB)?*INSTR",
     {"GPIB0::22::INSTR", "USB0::1::2::S::INSTR", "usb1::1::2::S::instr"},
     {"TCPIP0::h::inst0::INSTR", "GPIB0::INTFC"}},
    {"GPIB0::2[0-5]::INSTR", {"GPIB0::20::INSTR", "GPIB0::25::INSTR"},
     {"GPIB0::26::INSTR", "GPIB0::2::INSTR", "GPIB0::205::INSTR"}},
    {"GPIB0::[^1]?::INSTR", {"GPIB0::22::INSTR", "GPIB0::0x::INSTR"},
     {"GPIB0::12::INSTR", "GPIB0::2::INSTR", "GPIB0::222::INSTR"}},
    {"USB0::0x1A5B::0x1004::AB\\*::INSTR", {"USB0::0x1A5B::0x1004::AB*::INSTR"},
     {"USB0::0x1A5B::0x1004::AB::INSTR", "USB0::0x1A5B::0x1004::ABBB::INSTR"}},
    {"USB+", {"USB", "USBBB", "usb"}, {"US", "USBX", ""}},
    {"US(B)*", {"US", "USB", "USBBB"}, {"USBX", "U"}},
    {"(USB)+", {"USB", "USBUSB"}, {"", "USBU"}},
    // Repeating a repetition is the same repetition.
    {"GPIB0::[0-9]+*::INSTR", {"GPIB0::::INSTR", "GPIB0::22::INSTR"}, {"GPIB0::x::INSTR"}},
    {"a**", {"", "aaa"}, {"b"}},
    {"(a*)+", {"", "aaa"}, {"b"}},
    // Case-insensitive lists and ranges, in both directions.
    {"[a-c]x", {"ax", "BX", "cX"}, {"dx"}},
    {"[A-C]x", {"ax", "BX"}, {"dx"}},
    {"[^a-c]", {"d", "D", "1"}, {"a", "B", ""}},
    {"[-a]", {"-", "A"}, {"b"}},
    {"[a-]", {"-", "a"}, {"b"}},
    {"[\\]\\-]", {"]", "-"}, {"\\", "a"}},
    {"GPIB0::22::INSTR|TCPIP?*SOCKET", {"GPIB0::22::INSTR", "TCPIP0::h::5025::SOCKET"},
     {"GPIB0::22::INSTRTCPIP0::h::5025::SOCKET", "GPIB0::23::INSTR"}},
    {"((GPIB|USB)0::?*)|(TCPIP1?*)", {"GPIB0::1::INSTR", "USB0::1::2::S::INSTR", "TCPIP1::h"},
     {"GPIB1::1::INSTR", "TCPIP0::h"}},
    // Anything that is not an operator stands for itself.
    {"a.b", {"a.b", "A.B"}, {"axb"}},
    {"\\?\\[\\(\\|\\\\", {"?[(|\\"}, {"x[(|\\"}},
    {"\\{x\\}", {"{x}"}, {"x"}},
};

TEST(FindExpression, MatchesWholeNamesCaseInsensitively) {
  for (const MatchCase& c : kCases) {
    SCOPED_TRACE(c.expression);
    std::string error;
    const auto compiled = FindExpression::Compile(c.expression, &error);
    ASSERT_NE(compiled, nullptr) << error;
    for (const std::string& name : c.matches) EXPECT_TRUE(compiled->Matches(name)) << name;
    for (const std::string& name : c.misses) EXPECT_FALSE(compiled->Matches(name)) << name;
  }
}

TEST(FindExpression, MalformedExpressionsAreRejectedSayingWhy) {
  const struct {
    std::string expression;
    std::string errorPart;
  } cases[] = {
      {"", "empty"},
      {"*GPIB", "'*' at offset 0 has nothing before it to repeat"},
      {"+", "'+' at offset 0 has nothing before it"},
      {"GPIB|*x", "'*' at offset 5 has nothing before it"},
      {"(*x)", "'*' at offset 1 has nothing before it"},
      {"GPIB\\", "ends with a lone '\\'"},
      {"GPIB[0-9", "'[' at offset 4 is never closed"},
      {"GPIB[0-9\\]", "'[' at offset 4 is never closed"},
      {"GPIB[0-\\", "'[' at offset 4 is never closed"},
      {"GPIB0]", "']' at offset 5 has no matching '['"},
      {"GPIB[]", "empty list '[]' at offset 4"},
      {"GPIB[^]", "empty list"},
      {"[z-a]", "range 'z-a'"},
      {"(GPIB", "'(' at offset 0 is never closed"},
      {"((GPIB)", "'(' at offset 0 is never closed"},
      {"GPIB)", "')' at offset 4 has no matching '('"},
      {")", "')' at offset 0 has no matching '('"},
      {"()", "empty group '()' at offset 0"},
      {"a|", "empty alternative at offset 2"},
      {"|a", "empty alternative at offset 0"},
      {"(a||b)", "empty alternative at offset 3"},
      {"?*{VI_ATTR_MANF_ID==0x1A5B}", "attribute expressions"},
      {"?*INSTR}", "not supported"},
      {std::string(100, '(') + "a" + std::string(100, ')'), "nested more than"},
      {std::string(5000, 'a'), "at most 4096"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expression.substr(0, 60));
    std::string error;
    EXPECT_EQ(FindExpression::Compile(c.expression, &error), nullptr);
    EXPECT_NE(error.find(c.errorPart), std::string::npos) << error;
    // Callers that do not care why may pass no error text.
    EXPECT_EQ(FindExpression::Compile(c.expression, nullptr), nullptr);
  }
}

// Expressions that make a backtracking matcher take exponential time. These finish at once
// here; a regression shows up as a hung test.
TEST(FindExpression, NestedRepetitionsDoNotBacktrack) {
  const std::string longA(20000, 'a');
  const struct {
    std::string expression;
    std::string name;
    bool matches;
  } cases[] = {
      {"(a*)*b", longA, false},
      {"(a|aa)*b", longA, false},
      {"(a|a)*", longA, true},
      {"(?*)*?*?*?*b", longA, false},
      {"((a+)+)+", longA + "b", false},
      {"(a*a*a*a*a*a*a*a*)*c", longA, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expression);
    std::string error;
    const auto compiled = FindExpression::Compile(c.expression, &error);
    ASSERT_NE(compiled, nullptr) << error;
    EXPECT_EQ(compiled->Matches(c.name), c.matches);
  }
}

TEST(FindExpression, DeepButAllowedNestingCompilesAndMatches) {
  const std::string expression = std::string(64, '(') + "a" + std::string(64, ')') + "+";
  std::string error;
  const auto compiled = FindExpression::Compile(expression, &error);
  ASSERT_NE(compiled, nullptr) << error;
  EXPECT_TRUE(compiled->Matches("aaa"));
  EXPECT_FALSE(compiled->Matches(""));
}

}  // namespace
}  // namespace zc::visa
