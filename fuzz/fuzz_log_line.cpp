// The simulated counter's log lines: any message escapes to one printable line that reads back
// to the same bytes, and any line at all is either read back or refused, never a crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "zc4100_sim.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string line = zc::sim::EscapeLogLine(bytes);
  for (unsigned char c : line) {
    if (c < 0x20 || c > 0x7e) std::abort();
  }
  const auto back = zc::sim::UnescapeLogLine(line);
  if (!back || *back != bytes) std::abort();
  (void)zc::sim::UnescapeLogLine(bytes);
  return 0;
}
