// zc4100-sim started on a free loopback port for one test, stopped with SIGTERM.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace zc::visa::testing {

class SimServer {
 public:
  explicit SimServer(std::vector<std::string> args = {}) {
    const char* binDir = std::getenv("ZC_BIN_DIR");
    std::string sim = std::string(binDir ? binDir : ".") + "/zc4100-sim";
    portFile_ = std::filesystem::temp_directory_path() /
                ("zc-sim-port-" + std::to_string(getpid()) + "-" + std::to_string(++count_));
    std::filesystem::remove(portFile_);
    std::vector<std::string> argv = {sim, "--port", "0", "--port-file", portFile_.string()};
    argv.insert(argv.end(), args.begin(), args.end());
    pid_ = fork();
    if (pid_ == 0) {
      std::vector<char*> cargs;
      for (auto& a : argv) cargs.push_back(a.data());
      cargs.push_back(nullptr);
      execv(cargs[0], cargs.data());
      _exit(127);
    }
    for (int i = 0; i < 500 && port_ == 0; ++i) {
      std::ifstream in(portFile_);
      in >> port_;
      if (port_ == 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  ~SimServer() { Stop(); }

  int port() const { return port_; }
  std::string Resource() const {
    return "TCPIP0::127.0.0.1::" + std::to_string(port_) + "::SOCKET";
  }

  // Stops the server; returns its exit code, or -1 when it did not exit normally.
  int Stop() {
    if (pid_ <= 0) return exitCode_;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    std::filesystem::remove(portFile_);
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return exitCode_;
  }

 private:
  static inline int count_ = 0;
  std::filesystem::path portFile_;
  pid_t pid_ = -1;
  int port_ = 0;
  int exitCode_ = -1;
};

}  // namespace zc::visa::testing
