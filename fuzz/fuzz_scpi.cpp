// Arbitrary bytes into the counter's SCPI parser: every input must end in replies or error
// queue entries, never in a crash or a hang. The first byte picks the link faults so their
// reply formatting is covered too; the rest is cut at line feeds into separate messages so
// state carries from one message to the next as it does on a real link.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "zc4100_sim.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  zc::sim::Options options;
  options.seed = 1;
  options.triggerDelayMs = (data[0] & 0x10) ? 0 : -1;
  options.faults.nonNumeric = data[0] & 0x01;
  options.faults.longReplies = data[0] & 0x02;
  options.faults.decimalComma = data[0] & 0x04;
  options.faults.disconnectAfter = (data[0] & 0x08) ? 3 : 0;
  zc::sim::Counter counter(options);

  std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
  std::string reply;
  auto drain = [&] {
    while (counter.Reply(&reply, zc::sim::Clock::now()) == zc::sim::ReadStatus::Ok) {
      if (reply.empty() || reply.back() != '\n') __builtin_trap();  // every reply ends in LF
    }
  };
  std::size_t start = 0;
  while (start < input.size()) {
    std::size_t lf = input.find('\n', start);
    std::size_t end = lf == std::string_view::npos ? input.size() : lf + 1;
    counter.Receive(input.substr(start, end - start));
    drain();
    if (data[0] & 0x20) counter.Trigger();
    start = end;
  }
  counter.Receive("SYST:ERR?;*ESR?;*OPC?\n");
  drain();
  counter.DeviceClear();
  return 0;
}
