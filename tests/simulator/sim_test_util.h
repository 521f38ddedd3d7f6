// Small helpers the simulator's tests share: options that fail fast, and a query round trip.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "zc4100_sim.h"

namespace zc::sim::testing {

// Seeded options whose missing replies give up after maxWaitMs instead of hanging a test.
inline Options FastOptions(std::uint64_t seed, int maxWaitMs = 50) {
  Options o;
  o.seed = seed;
  o.faults.maxWaitMs = maxWaitMs;
  return o;
}

// Sends one message and returns its reply.
inline std::string Ask(Counter& c, std::string_view message) {
  EXPECT_TRUE(c.Receive(message));
  std::string reply;
  EXPECT_EQ(c.Reply(&reply, Clock::now() + std::chrono::seconds(10)), ReadStatus::Ok)
      << "no reply to " << message;
  return reply;
}

}  // namespace zc::sim::testing
