// The library's configuration file: simulated instruments and LAN resources, one section each.
//
//   [USB0::0x1A5B::0x1004::AB12345678::INSTR]
//   simulate = zc4100
//   seed = 7
//
//   [TCPIP0::127.0.0.1::5025::SOCKET]
//
// A section named by a resource declares it; "simulate = zc4100" makes it a simulated counter
// (the other keys are the simulator's options), otherwise the resource is real and viFindRsrc
// lists it, as VISA libraries list configured LAN instruments.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "resource_name.h"

namespace zc::visa {

inline constexpr const char* kConfigEnvVar = "ZC4100_VISA_CONF";

struct DeclaredResource {
  std::string text;  // the section name as written: what viFindRsrc lists
  ResourceName name;
  bool simulated = false;
  std::vector<std::pair<std::string, std::string>> options;  // simulator options
};

struct Config {
  std::string path;  // "" when no file is configured
  std::vector<DeclaredResource> resources;
  std::vector<std::string> errors;  // one line per section or file that could not be used
};

// Reads the file named by ZC4100_VISA_CONF (nothing when unset). Bad sections are skipped and
// explained in errors; they never stop the rest from loading.
Config LoadConfig();

}  // namespace zc::visa
