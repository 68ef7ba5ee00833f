#include "platform/task_pool.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

namespace kestrilo::testing {
namespace {

TEST(ThreadsReaderCount, AHugeRequestIsLoweredToTheBound) {
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  const unsigned bound = std::min(cores * kReaderThreadsPerCore, kMostReaderThreads);
  EXPECT_EQ(EffectiveThreads(100000), bound);
  EXPECT_EQ(EffectiveThreads(bound + 1), bound);
  EXPECT_EQ(EffectiveThreads(1), 1u);
  EXPECT_EQ(EffectiveThreads(0), std::min(cores, kMostReaderThreads));
  EXPECT_LE(bound, 64u);
}

TEST(ThreadsTaskPool, DroppingLeavesTheRunningTaskAndBreaksTheQueuedOnes) {
  TaskPool pool(1);
  std::promise<void> gate;
  std::promise<void> running;
  auto first = pool.Submit([&] {
    running.set_value();
    gate.get_future().wait();
    return 1;
  });
  running.get_future().wait();
  auto queued = pool.Submit([] { return 2; });
  pool.DropPending();
  ASSERT_EQ(queued.wait_for(std::chrono::seconds(0)), std::future_status::ready);
  EXPECT_THROW(queued.get(), std::future_error);
  gate.set_value();
  EXPECT_EQ(first.get(), 1);
  EXPECT_EQ(pool.Submit([] { return 3; }).get(), 3);
}

}  // namespace
}  // namespace kestrilo::testing
