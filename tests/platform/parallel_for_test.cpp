#include "platform/parallel_for.h"

#include <gtest/gtest.h>

#include <atomic>
#include <tuple>
#include <vector>

namespace kestrilo::testing {
namespace {

class ThreadsParallelFor : public ::testing::TestWithParam<std::tuple<std::size_t, unsigned>> {};

TEST_P(ThreadsParallelFor, RunsEveryIndexExactlyOnce) {
  const auto [count, threads] = GetParam();
  std::vector<std::atomic<int>> runs(count);
  ParallelFor(count, threads, [&](std::size_t i) { ++runs[i]; });
  for (std::size_t i = 0; i < count; ++i) ASSERT_EQ(runs[i], 1) << "index " << i;
}

// Counts around the slice bounds: below two per thread the loop is serial.
INSTANTIATE_TEST_SUITE_P(, ThreadsParallelFor,
                         ::testing::Combine(::testing::Values<std::size_t>(0, 1, 7, 8, 9, 101),
                                            ::testing::Values(1u, 3u, 4u)));

}  // namespace
}  // namespace kestrilo::testing
