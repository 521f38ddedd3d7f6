// The command console's table of instruments, filled by discovery and kept between openings.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "visa.h"

namespace zc::fp {

struct CConsoleDevice {
  std::string name;
  std::int16_t kind = -1;  // 2 GPIB, 4 USB, -1 none
  ViSession session = 0;
};

struct CConsoleDeviceTable {
  static constexpr int kPositions = 4;
  int deviceCount = 0;
  std::array<CConsoleDevice, kPositions> devices;
};

}  // namespace zc::fp
