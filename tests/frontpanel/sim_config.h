// Writes a VISA configuration of simulated counters for one test and points the library at it.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace zc::fp::testing {

class SimConfig {
 public:
  explicit SimConfig(const std::string& text) {
    path_ = std::filesystem::temp_directory_path() /
            ("zc-fp-" + std::to_string(getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".ini");
    std::ofstream(path_) << text;
    setenv("ZC4100_VISA_CONF", path_.c_str(), 1);
    setenv("ZC_VISA_SYSFS_ROOT", "/nonexistent-sysfs", 1);  // the machine's own devices stay out
  }
  ~SimConfig() {
    unsetenv("ZC4100_VISA_CONF");
    std::filesystem::remove(path_);
  }

 private:
  std::filesystem::path path_;
};

inline std::string SimUsb(const std::string& name, const std::string& extra = "") {
  return "[" + name + "]\nsimulate = zc4100\nseed = 1\nmax_wait_ms = 50\n" + extra;
}

}  // namespace zc::fp::testing
