// The counter's command table: SCPI header patterns with their handlers, kept as data.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "device.h"
#include "scpi.h"

namespace zc::sim {

// Standard event status register bits.
inline constexpr int kEsrOperationComplete = 1;
inline constexpr int kEsrQueryError = 4;
inline constexpr int kEsrDeviceError = 8;
inline constexpr int kEsrExecutionError = 16;
inline constexpr int kEsrCommandError = 32;

struct Call {
  Device& d;
  Clock::time_point now;
  const std::vector<int>& suffix;  // one per '#' node of the matched pattern
  const std::vector<scpi::Param>& params;
  std::string* answer;
  ExecResult* result;
};

using Handler = std::function<int(Call&)>;

struct Entry {
  scpi::Pattern pattern;
  Handler set;    // empty: the header has no command form
  Handler query;  // empty: the header has no query form
  int setMin = 1, setMax = 1;
  int queryMin = 0, queryMax = 0;
};

// The entry whose pattern matches a header path, or nullptr.
const Entry* FindCommand(const std::vector<scpi::Mnemonic>& path, bool query,
                         std::vector<int>* suffix);
// Runs an entry after checking its parameter count; returns an SCPI error code or 0.
int RunCommand(const Entry& e, Call& c, bool query);
// Runs a common command ("*IDN?", "*OPC", ...).
int RunCommonCommand(Call& c, const std::string& name, bool query);

}  // namespace zc::sim
