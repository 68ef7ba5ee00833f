#include <gtest/gtest.h>

#include <thread>

#include "check/task_pool.h"

namespace kestrilo::testing {
namespace {

TEST(CheckReaderThreads, AHugeRequestIsLoweredToTheBound) {
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  const unsigned bound = std::min(cores * kReaderThreadsPerCore, kMostReaderThreads);
  EXPECT_EQ(EffectiveThreads(100000), bound);
  EXPECT_EQ(EffectiveThreads(bound + 1), bound);
  EXPECT_EQ(EffectiveThreads(1), 1u);
  EXPECT_EQ(EffectiveThreads(0), std::min(cores, kMostReaderThreads));
  EXPECT_LE(bound, 64u);
}

}  // namespace
}  // namespace kestrilo::testing
