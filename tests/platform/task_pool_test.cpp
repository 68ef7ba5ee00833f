#include "platform/task_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>
#include <vector>

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
  // The walk's depth asks for as many readers as there are reads in flight,
  // unless the caller named a count.
  EXPECT_EQ(ReadingDepth(0), std::min(kReadsInFlight, kMostReaderThreads));
  EXPECT_EQ(ReadingDepth(1), 1u);
  EXPECT_EQ(ReadingDepth(100000), bound);
}

// Tasks that each wait for all of them to be running finish only when the
// pool has as many threads as tasks.
TEST(ThreadsTaskPool, GrowingStartsMoreThreadsAndNeverFewer) {
  TaskPool pool(1);
  pool.Grow(4);
  EXPECT_EQ(pool.Threads(), 4u);
  pool.Grow(2);
  EXPECT_EQ(pool.Threads(), 4u);
  std::atomic<int> running{0};
  std::vector<std::future<int>> results;
  for (int task = 0; task < 4; ++task) {
    results.push_back(pool.Submit([&running, task] {
      ++running;
      while (running.load() < 4) std::this_thread::yield();
      return task;
    }));
  }
  for (int task = 0; task < 4; ++task) EXPECT_EQ(results[static_cast<std::size_t>(task)].get(), task);
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
