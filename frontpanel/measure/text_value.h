// The value of a text as the panel reads numbers from edit fields and replies: its leading
// decimal number, 0 when there is none, read the same whatever the user's locale.
#pragma once

#include <climits>
#include <cstdlib>
#include <string>
#include <string_view>

#include "acquire/reading_format.h"

namespace zc::fp {

inline double TextValue(std::string_view text) {
  return ValueOfText(text);
}

// The integer value, as atoi reads it; values beyond the int range stop at its limits.
inline int TextInteger(std::string_view text) {
  const std::string s(text.substr(0, text.find('\0')));
  const long v = std::strtol(s.c_str(), nullptr, 10);
  return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v);
}

}  // namespace zc::fp
