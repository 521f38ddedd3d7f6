// The front panel's measurement functions. The tens digit of each code is the panel page that
// selects it.
#pragma once

#include <cstdint>

namespace zc::fp {

enum MeasFunction : std::int32_t {
  FUNC_FREQ = 0,
  FUNC_VOLT = 2,
  FUNC_RATIO = 10,
  FUNC_PERIOD = 11,
  FUNC_EDGE = 12,
  FUNC_WIDTH = 13,
  FUNC_INTVAL = 14,
  FUNC_PHASE = 31,
  FUNC_DUTY = 32,
  FUNC_TOTAL = 33,
};

}  // namespace zc::fp
