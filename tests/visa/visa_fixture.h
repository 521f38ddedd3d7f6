// A configuration file of simulated instruments for one test, and helpers over the C API.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "sim_transport.h"
#include "visa.h"

namespace zc::visa::testing {

class VisaConfigTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSimulatedInstruments();
    path_ = std::filesystem::temp_directory_path() /
            ("zc-visa-" + std::to_string(getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".ini");
    unsetenv("ZC4100_VISA_CONF");
    // Keep the machine's own USB and GPIB devices out of the results.
    setenv("ZC_VISA_SYSFS_ROOT", "/nonexistent-sysfs", 1);
  }
  void TearDown() override {
    for (ViSession rm : rms_) viClose(rm);
    std::filesystem::remove(path_);
    unsetenv("ZC4100_VISA_CONF");
  }

  void Configure(const std::string& text) {
    std::ofstream(path_) << text;
    setenv("ZC4100_VISA_CONF", path_.c_str(), 1);
  }

  ViSession OpenRm() {
    ViSession rm = 0;
    EXPECT_EQ(viOpenDefaultRM(&rm), VI_SUCCESS);
    rms_.push_back(rm);
    return rm;
  }

  ViSession Open(ViSession rm, const std::string& name, ViUInt32 timeoutMs = 2000) {
    ViSession vi = 0;
    EXPECT_EQ(viOpen(rm, name.c_str(), VI_NO_LOCK, 0, &vi), VI_SUCCESS) << name;
    EXPECT_EQ(viSetAttribute(vi, VI_ATTR_TMO_VALUE, timeoutMs), VI_SUCCESS);
    return vi;
  }

  static ViStatus Write(ViSession vi, const std::string& text) {
    ViUInt32 n = 0;
    return viWrite(vi, reinterpret_cast<ViConstBuf>(text.data()),
                   static_cast<ViUInt32>(text.size()), &n);
  }

  struct ReadResult {
    ViStatus status;
    std::string text;
  };
  static ReadResult Read(ViSession vi, ViUInt32 count) {
    std::vector<ViByte> buf(count + 1);
    ViUInt32 n = 0;
    ViStatus st = viRead(vi, buf.data(), count, &n);
    return {st, std::string(reinterpret_cast<char*>(buf.data()), n)};
  }

  std::filesystem::path path_;
  std::vector<ViSession> rms_;
};

}  // namespace zc::visa::testing
