#include "acquire/reading_format.h"

#include <locale.h>
#include <stdlib.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace zc::fp {
namespace {

struct DisplayFormat {
  int decimals;
  const char* unit;
};

DisplayFormat FormatFor(MeasFunction f) {
  switch (f) {
    case FUNC_FREQ:
      return {10, "  Hz"};
    case FUNC_RATIO:
      return {11, ""};
    case FUNC_PERIOD:
      return {13, "  Sec"};
    case FUNC_EDGE:
    case FUNC_WIDTH:
    case FUNC_INTVAL:
      return {4, "  Sec"};
    case FUNC_PHASE:
      return {4, "  Deg"};
    case FUNC_DUTY:
      return {4, ""};
    case FUNC_VOLT:
      return {3, "  V"};
    case FUNC_TOTAL:
      return {3, ""};
  }
  return {13, ""};
}

const char* PrefixFor(int n, bool positive) {
  if (n >= 15) return positive ? " P" : " f";
  if (n >= 12) return positive ? " T" : " p";
  if (n >= 9) return positive ? " G" : " n";
  if (n >= 6) return positive ? " M" : " u";
  if (n >= 3) return positive ? " K" : " m";
  return "";
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool StartsWithWord(std::string_view text, std::string_view lowerWord) {
  if (text.size() < lowerWord.size()) return false;
  for (size_t i = 0; i < lowerWord.size(); ++i) {
    const char c =
        text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
    if (c != lowerWord[i]) return false;
  }
  return true;
}

// printf's "%.Nf", but always with a decimal point whatever the process locale says.
std::string Fixed(double v, int decimals) {
  char buf[400];  // the widest double, 309 digits, with 30 decimals fits
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
  return std::string(buf, r.ptr);
}

std::string NonFiniteText(double v) {
  if (std::isnan(v)) return "NAN";
  return v > 0 ? "INF" : "-INF";
}

// Saturating, so no text of digits overflows.
int ParseDigits(std::string_view text, size_t& i) {
  int n = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i)
    n = n > 99999999 ? 999999999 : n * 10 + (text[i] - '0');
  return n;
}

// atoi's reading: blanks, a sign, digits.
int IntegerValue(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const int n = ParseDigits(text, i);
  return negative ? -n : n;
}

// Exponents of 100 or more have no prefix: the mantissa keeps its own exponent.
std::string ScientificText(double mantissa, bool positive, int exponent, const DisplayFormat& fmt) {
  if (!std::isfinite(mantissa)) return NonFiniteText(mantissa);
  std::string digits = std::to_string(exponent);
  if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
  return Fixed(mantissa, fmt.decimals) + (positive ? "E+" : "E-") + digits + fmt.unit;
}

// Prefix by the exponent magnitude n (below 100), the mantissa scaled by the rest of n after
// the prefix, then the display format and the unit.
std::string EngineeringText(double mantissa, int n, bool positive, const DisplayFormat& fmt) {
  static constexpr double kPowers[] = {1.0, 10.0, 100.0};
  const char* prefix = PrefixFor(n, positive);
  if (n >= 3) n %= 3;
  const double value = positive ? mantissa * kPowers[n] : mantissa / kPowers[n];
  if (!std::isfinite(value)) return NonFiniteText(value);
  return Fixed(value, fmt.decimals) + prefix + fmt.unit;
}

std::string ZeroText(const DisplayFormat& fmt) {
  return Fixed(0.0, fmt.decimals) + fmt.unit;
}

}  // namespace

double ValueOfText(std::string_view text) {
  const size_t size = text.size();
  size_t i = 0;
  while (i < size && IsBlank(text[i])) ++i;
  const size_t start = i;
  bool negative = false;
  if (i < size && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (StartsWithWord(text.substr(i), "inf")) {
    return negative ? -std::numeric_limits<double>::infinity()
                    : std::numeric_limits<double>::infinity();
  }
  if (StartsWithWord(text.substr(i), "nan")) return std::numeric_limits<double>::quiet_NaN();
  // Only the span that is a decimal number goes to strtod: the view need not end in a NUL, and
  // strtod's hexadecimal form is not a reading.
  size_t digits = 0;
  for (; i < size && IsDigit(text[i]); ++i) ++digits;
  if (i < size && text[i] == '.') {
    for (++i; i < size && IsDigit(text[i]); ++i) ++digits;
  }
  if (digits == 0) return 0.0;
  size_t end = i;
  if (i < size && (text[i] == 'e' || text[i] == 'E')) {
    size_t j = i + 1;
    if (j < size && (text[j] == '+' || text[j] == '-')) ++j;
    if (j < size && IsDigit(text[j])) {
      while (j < size && IsDigit(text[j])) ++j;
      end = j;
    }
  }
  // strtod_l rounds correctly and gives HUGE_VAL or 0 out of range, whatever the global locale.
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  const std::string number(text.substr(start, end - start));
  if (cLocale == static_cast<locale_t>(0)) return std::strtod(number.c_str(), nullptr);
  return strtod_l(number.c_str(), nullptr, cLocale);
}

std::string FormatReplyForDisplay(std::string_view reply, MeasFunction runFunction) {
  const DisplayFormat fmt = FormatFor(runFunction);
  const size_t e = reply.find('E');
  if (e == std::string_view::npos) {
    // No exponent: mantissa 0 and so no prefix, unless the reply is a word for a value that is
    // not finite, which would otherwise show as a plausible 0.
    const double v = ValueOfText(reply);
    return std::isfinite(v) ? ZeroText(fmt) : NonFiniteText(v);
  }
  // The counter writes three exponent digits, so the last three characters are the exponent
  // (with a trailing line feed, its last two digits).
  int n = std::abs(IntegerValue(reply.substr(reply.size() >= 3 ? reply.size() - 3 : 0)));
  const bool positive = e + 1 < reply.size() && reply[e + 1] == '+';
  const double mantissa = ValueOfText(reply.substr(0, e));
  size_t i = e + 1;
  if (i < reply.size() && (reply[i] == '+' || reply[i] == '-')) ++i;
  const int exponent = ParseDigits(reply, i);
  if (exponent >= 100) return ScientificText(mantissa, reply[e + 1] != '-', exponent, fmt);
  // Trailing text after the exponent makes the last three characters something else.
  if (n >= 100) n = exponent;
  return EngineeringText(mantissa, n, positive, fmt);
}

std::string FormatValueForDisplay(std::string_view text, MeasFunction runFunction) {
  const DisplayFormat fmt = FormatFor(runFunction);
  double v = ValueOfText(text);
  // Neither scaling loop below ends for 0, an infinity or NaN.
  if (!std::isfinite(v)) return NonFiniteText(v);
  if (v == 0.0) return ZeroText(fmt);
  const bool negative = !(v > 0);
  if (negative) v = -v;
  // Scientific form by repeated scaling by ten: at most about 330 steps for any finite double.
  int k = 0;
  char sign = '+';
  if (v >= 10) {
    for (; v >= 10; ++k) v *= 0.1;
  } else if (v < 1) {
    for (; v < 1; ++k) v *= 10;
    sign = '-';
  }
  std::string scientific = Fixed(v, 20) + 'E' + sign + (k < 10 ? "00" : "0") + std::to_string(k);
  const size_t e = scientific.find('E');
  const double mantissa = ValueOfText(std::string_view(scientific).substr(0, e));
  std::string result =
      k >= 100 ? ScientificText(mantissa, sign == '+', k, fmt)
               : EngineeringText(mantissa, IntegerValue(scientific.substr(scientific.size() - 2)),
                                 scientific[e + 1] == '+', fmt);
  return negative ? '-' + result : result;
}

}  // namespace zc::fp
