// The value of a text as the panel reads numbers from edit fields and replies: its leading
// decimal number, 0 when there is none. Programs that show the panel set LC_NUMERIC to "C", so a
// decimal point is a point whatever the user's locale.
#pragma once

#include <climits>
#include <cstdlib>
#include <string>
#include <string_view>

namespace zc::fp {

inline double TextValue(std::string_view text) {
  const std::string s(text.substr(0, text.find('\0')));
  return std::strtod(s.c_str(), nullptr);
}

// The integer value, as atoi reads it; out-of-range values stop at the int limits.
inline int TextInteger(std::string_view text) {
  const std::string s(text.substr(0, text.find('\0')));
  const long v = std::strtol(s.c_str(), nullptr, 10);
  return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v);
}

}  // namespace zc::fp
