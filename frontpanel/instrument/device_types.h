// Shared vocabulary of the instrument layer.
#pragma once

#include <cstdint>
#include <string>

namespace zc::fp {

// kInterfaceNone: no instrument is selected, so nothing is written or read.
enum InterfaceKind : std::int32_t { kInterfaceNone = 0, kInterfaceGpib = 2, kInterfaceUsb = 4 };

struct DeviceEntry {
  InterfaceKind kind = kInterfaceUsb;
  std::int32_t slot = 0;
  std::string resource;
};

// A session slot that has been handed back to local control, or the "no session" value.
inline constexpr std::uint32_t kNoSession = 0xFFFFFFFFu;  // -1 as a 32-bit handle

}  // namespace zc::fp
