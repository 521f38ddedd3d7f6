// The live display's texts: engineering form of replies and of the chart's bounds, and what odd
// replies show.
#include "acquire/reading_format.h"

#include <gtest/gtest.h>

#include <clocale>
#include <random>
#include <string>

namespace zc::fp {
namespace {

struct Case {
  std::string input;
  MeasFunction function;
  std::string expected;
};

TEST(FormatReplyForDisplay, Examples) {
  for (const Case& c : {
           Case{"+1.23456789012E+006", FUNC_FREQ, "1.2345678901 M  Hz"},
           Case{"+1.23456789012E+006\n", FUNC_FREQ, "1.2345678901 M  Hz"},
           Case{"+1.23456789012E+006\r\n", FUNC_FREQ, "1.2345678901 M  Hz"},
           Case{"+2.5E-007", FUNC_PERIOD, "0.2500000000000 u  Sec"},
           Case{"+1.234E+000", FUNC_VOLT, "1.234  V"},
           Case{"+1.2345E+004", FUNC_TOTAL, "12.345 K"},
           Case{"+2.000E+000", FUNC_RATIO, "2.00000000000"},
       }) {
    EXPECT_EQ(FormatReplyForDisplay(c.input, c.function), c.expected) << c.input;
  }
}

TEST(FormatValueForDisplay, Examples) {
  for (const Case& c : {
           Case{"1500.5", FUNC_FREQ, "1.5005000000 K  Hz"},
           Case{"-0.002", FUNC_VOLT, "-2.000 m  V"},
           // The chart passes "%.30lf" texts.
           Case{"10.599999999999997868371792719699", FUNC_FREQ, "10.6000000000  Hz"},
           Case{"9.99", FUNC_FREQ, "9.9900000000  Hz"},
           Case{"10", FUNC_FREQ, "10.0000000000  Hz"},  // 1.000...E+001: no prefix
           Case{"0.02", FUNC_VOLT, "0.020  V"},         // E-002: divided by 100, no prefix
           Case{"1200000004.000000059604644775390625", FUNC_FREQ, "1.2000000040 G  Hz"},
           Case{"0.000000000000000000000000000001", FUNC_FREQ, "1.0000000000 f  Hz"},
       }) {
    EXPECT_EQ(FormatValueForDisplay(c.input, c.function), c.expected) << c.input;
  }
}

TEST(FormatReplyForDisplay, DecimalsAndUnitFollowTheRunFunction) {
  struct F {
    MeasFunction function;
    std::string onePointFive, zero;
  };
  for (const F& c : {
           F{FUNC_FREQ, "1.5000000000  Hz", "0.0000000000  Hz"},
           F{FUNC_RATIO, "1.50000000000", "0.00000000000"},
           F{FUNC_PERIOD, "1.5000000000000  Sec", "0.0000000000000  Sec"},
           F{FUNC_EDGE, "1.5000  Sec", "0.0000  Sec"},
           F{FUNC_WIDTH, "1.5000  Sec", "0.0000  Sec"},
           F{FUNC_INTVAL, "1.5000  Sec", "0.0000  Sec"},
           F{FUNC_PHASE, "1.5000  Deg", "0.0000  Deg"},
           F{FUNC_DUTY, "1.5000", "0.0000"},
           F{FUNC_VOLT, "1.500  V", "0.000  V"},
           F{FUNC_TOTAL, "1.500", "0.000"},
           F{static_cast<MeasFunction>(99), "1.5000000000000", "0.0000000000000"},
       }) {
    EXPECT_EQ(FormatReplyForDisplay("+1.5E+000", c.function), c.onePointFive) << c.function;
    EXPECT_EQ(FormatValueForDisplay("1.5", c.function), c.onePointFive) << c.function;
    EXPECT_EQ(FormatReplyForDisplay("", c.function), c.zero) << c.function;
    EXPECT_EQ(FormatValueForDisplay("0", c.function), c.zero) << c.function;
  }
}

TEST(FormatReplyForDisplay, PrefixAndScalingByExponent) {
  for (const Case& c : {
           Case{"+1.000E+000", FUNC_TOTAL, "1.000"},
           Case{"+1.000E+002", FUNC_TOTAL, "100.000"},
           Case{"+1.000E+003", FUNC_TOTAL, "1.000 K"},
           Case{"+1.000E+005", FUNC_TOTAL, "100.000 K"},
           Case{"+1.000E+006", FUNC_TOTAL, "1.000 M"},
           Case{"+1.000E+010", FUNC_TOTAL, "10.000 G"},
           Case{"+1.000E+014", FUNC_TOTAL, "100.000 T"},
           Case{"+1.000E+015", FUNC_TOTAL, "1.000 P"},
           Case{"+1.000E+016", FUNC_TOTAL, "10.000 P"},
           Case{"+1.000E+017", FUNC_TOTAL, "100.000 P"},
           Case{"+1.000E-001", FUNC_TOTAL, "0.100"},
           Case{"+1.000E-003", FUNC_TOTAL, "1.000 m"},
           Case{"+1.000E-004", FUNC_TOTAL, "0.100 m"},
           Case{"+1.000E-008", FUNC_TOTAL, "0.010 u"},
           Case{"+1.000E-009", FUNC_TOTAL, "1.000 n"},
           Case{"+1.000E-012", FUNC_TOTAL, "1.000 p"},
           Case{"+1.000E-016", FUNC_TOTAL, "0.100 f"},
           Case{"-1.5E+003", FUNC_FREQ, "-1.5000000000 K  Hz"},  // the mantissa carries the sign
           Case{"+1.5E+03\n", FUNC_FREQ, "1.5000000000 K  Hz"},  // two exponent digits
       }) {
    EXPECT_EQ(FormatReplyForDisplay(c.input, c.function), c.expected) << c.input;
  }
}

// What the display shows for replies the counter does not send, and for bounds the chart makes of
// unusual readings.
TEST(FormatReplyForDisplay, OddReplies) {
  for (const Case& c : {
           Case{"", FUNC_FREQ, "0.0000000000  Hz"},
           Case{"\n", FUNC_FREQ, "0.0000000000  Hz"},
           Case{"+1234", FUNC_FREQ, "0.0000000000  Hz"},  // no "E": mantissa 0, and no prefix
           Case{"ERROR 123", FUNC_FREQ, "0.0000000000  Hz"},
           Case{"E", FUNC_VOLT, "0.000  V"},
           Case{"INF", FUNC_FREQ, "INF"},
           Case{"-inf\n", FUNC_FREQ, "-INF"},
           Case{"NAN", FUNC_FREQ, "NAN"},
           Case{"nan(0x7ff)", FUNC_FREQ, "NAN"},
           Case{"+9.91E+37", FUNC_FREQ, "99.1000000000 P  Hz"},
           Case{"+1.0E+100", FUNC_FREQ, "1.0000000000E+100  Hz"},
           Case{"+1.0E+0100\n", FUNC_FREQ, "1.0000000000E+100  Hz"},
           Case{"-2.0E+99999", FUNC_FREQ, "-2.0000000000E+99999  Hz"},
           Case{"+1.0E-999", FUNC_PERIOD, "1.0000000000000E-999  Sec"},
           Case{"+1.0E+1000", FUNC_FREQ, "1.0000000000E+1000  Hz"},  // last three read 0
           Case{"+1.5E+003 junk 123", FUNC_FREQ, "1.5000000000 K  Hz"},
           Case{"1" + std::string(400, '0') + "E+000", FUNC_FREQ, "INF"},
           Case{"1" + std::string(307, '0') + "E+002", FUNC_FREQ, "INF"},  // 1e307 * 100
           Case{"0x10E+003", FUNC_FREQ, "0.0000000000 K  Hz"},             // decimal only
       }) {
    EXPECT_EQ(FormatReplyForDisplay(c.input, c.function), c.expected) << c.input;
  }
}

TEST(FormatValueForDisplay, OddValues) {
  for (const Case& c : {
           Case{"0", FUNC_FREQ, "0.0000000000  Hz"},
           Case{"-0.000000000000000000000000000000", FUNC_FREQ, "0.0000000000  Hz"},
           Case{"0.000000000000000000000000000000", FUNC_VOLT, "0.000  V"},
           Case{"", FUNC_FREQ, "0.0000000000  Hz"}, Case{"inf", FUNC_FREQ, "INF"},
           Case{"-inf", FUNC_FREQ, "-INF"}, Case{"nan", FUNC_FREQ, "NAN"},
           Case{"-nan", FUNC_FREQ, "NAN"},
           Case{"1" + std::string(300, '0') + ".000", FUNC_FREQ, "1.0000000000E+300  Hz"},
           Case{"-1" + std::string(300, '0'), FUNC_FREQ, "-1.0000000000E+300  Hz"},
           Case{"1E-320", FUNC_FREQ, "9.9998886718E-321  Hz"},  // a subnormal double
       }) {
    EXPECT_EQ(FormatValueForDisplay(c.input, c.function), c.expected) << c.input;
  }
}

TEST(ValueOfText, ReadsTheLeadingNumberLikeStrtod) {
  struct V {
    std::string text;
    double value;
  };
  for (const V& c : {V{"  +1.5E+003xyz", 1500.0}, V{"-.5", -0.5}, V{"7.", 7.0}, V{"1e", 1.0},
                     V{"1E+", 1.0}, V{"0x1p3", 0.0}, V{".", 0.0}, V{"+-1", 0.0}, V{"abc", 0.0},
                     V{"1e-400", 0.0}, V{std::string("12\0 34", 6), 12.0}}) {
    EXPECT_EQ(ValueOfText(c.text), c.value) << c.text;
  }
  EXPECT_EQ(ValueOfText("-1e400"), -HUGE_VAL);
  // A view that stops inside a longer text is not read past its end.
  const std::string text = "12345";
  EXPECT_EQ(ValueOfText(std::string_view(text).substr(0, 2)), 12.0);
}

// A desktop locale with a decimal comma must not change what is read or shown.
TEST(FormatReplyForDisplay, IgnoresTheProcessLocale) {
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  bool set = false;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "de_DE"}) {
    if (std::setlocale(LC_ALL, name)) {
      set = true;
      break;
    }
  }
  if (!set) GTEST_SKIP() << "no locale with a decimal comma is installed";
  const std::string reply = FormatReplyForDisplay("+1.23456789012E+006", FUNC_FREQ);
  const std::string value = FormatValueForDisplay("1500.5", FUNC_FREQ);
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_EQ(reply, "1.2345678901 M  Hz");
  EXPECT_EQ(value, "1.5005000000 K  Hz");
}

// Any bytes of any length give a short printable text: nothing hangs, crashes or reads outside the
// reply (the sanitizer build checks the last).
TEST(FormatReplyForDisplay, AnyBytesGivePrintableText) {
  std::mt19937 random(4100);
  const std::string alphabet = "0123456789+-.eE \n\r\t\0\xff\x80infaINFAN(x)";
  for (int i = 0; i < 3000; ++i) {
    std::string reply(random() % 24, '\0');
    for (char& ch : reply) {
      ch = random() % 4 == 0 ? static_cast<char>(random() % 256)
                             : alphabet[random() % alphabet.size()];
    }
    for (MeasFunction f : {FUNC_FREQ, FUNC_TOTAL}) {
      for (const std::string& text :
           {FormatReplyForDisplay(reply, f), FormatValueForDisplay(reply, f)}) {
        ASSERT_FALSE(text.empty());
        for (char ch : text) ASSERT_TRUE(ch >= ' ' && ch <= '~') << text;
      }
    }
  }
  const std::string longDigits(1 << 20, '9');
  EXPECT_EQ(FormatReplyForDisplay(longDigits + "E+003", FUNC_FREQ), "INF");
  EXPECT_EQ(FormatValueForDisplay("0." + longDigits, FUNC_FREQ), "1.0000000000  Hz");
  EXPECT_EQ(FormatReplyForDisplay(std::string(1 << 20, 'E'), FUNC_FREQ), "0.0000000000  Hz");
}

}  // namespace
}  // namespace zc::fp
