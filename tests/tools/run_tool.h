// Runs a program of the build as a user does, from a shell, and keeps what it printed.
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace zc::testing {

struct Result {
  int code;
  std::string out;  // standard output and error together
};

inline std::string Bin(const char* program) {
  const char* bin = std::getenv("ZC_BIN_DIR");
  return std::string(bin ? bin : ".") + "/" + program;
}

// zc4100 with args (shell words).
inline Result RunTool(const std::string& args) {
  Result r{-1, ""};
  FILE* pipe = popen((Bin("zc4100") + " " + args + " 2>&1").c_str(), "r");
  if (!pipe) return r;
  std::array<char, 512> buf;
  while (fgets(buf.data(), buf.size(), pipe)) r.out += buf.data();
  const int status = pclose(pipe);
  r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

}  // namespace zc::testing
