#include "platform/read_ahead.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>
#include <vector>

namespace kestrilo::testing {
namespace {

class ThreadsReadAhead : public ::testing::TestWithParam<unsigned> {};

// Taken as the verification pass takes them: topped up to the window before
// each result. Later tasks are cheaper, so with several threads they finish
// first.
TEST_P(ThreadsReadAhead, ResultsComeBackInTheOrderTheTasksWereQueued) {
  constexpr int kTasks = 200;
  ReadAhead<int> reads(GetParam(), 8);
  std::vector<int> taken;
  int pushed = 0;
  while (static_cast<int>(taken.size()) < kTasks) {
    while (pushed < kTasks && reads.HasRoom()) {
      reads.Push([i = pushed] {
        volatile unsigned spin = 0;
        for (int k = 0; k < (kTasks - i) * 200; ++k) spin = spin + 1;
        return i;
      });
      ++pushed;
    }
    taken.push_back(reads.Take());
  }
  for (int i = 0; i < kTasks; ++i) ASSERT_EQ(taken[static_cast<std::size_t>(i)], i);
  EXPECT_TRUE(reads.Empty());
}

TEST_P(ThreadsReadAhead, NoMoreThanTheWindowWaitsToBeTaken) {
  const unsigned threads = GetParam();
  ReadAhead<int> reads(threads, 3);
  int pushed = 0;
  while (reads.HasRoom()) reads.Push([i = pushed++] { return i; });
  EXPECT_EQ(pushed, threads > 1 ? 3 : 1);
  EXPECT_EQ(reads.Take(), 0);
  EXPECT_TRUE(reads.HasRoom());
}

INSTANTIATE_TEST_SUITE_P(, ThreadsReadAhead, ::testing::Values(1u, 4u));

TEST(ThreadsReadAheadOrder, ALaterTaskThatIsDoneFirstIsStillTakenSecond) {
  std::promise<void> gate;
  const std::shared_future<void> open = gate.get_future().share();
  std::promise<void> secondDone;
  ReadAhead<int> reads(2, 4);
  reads.Push([open] {
    open.wait();
    return 0;
  });
  reads.Push([&secondDone] {
    secondDone.set_value();
    return 1;
  });
  secondDone.get_future().wait();
  std::jthread opener([&gate] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    gate.set_value();
  });
  EXPECT_EQ(reads.Take(), 0);
  EXPECT_EQ(reads.Take(), 1);
}

TEST(ThreadsReadAheadSerial, ATaskRunsOnTheCallersThreadOnlyWhenItsResultIsTaken) {
  ReadAhead<std::thread::id> reads(1, 4);
  std::atomic<int> runs = 0;
  reads.Push([&runs] {
    ++runs;
    return std::this_thread::get_id();
  });
  EXPECT_EQ(runs, 0);
  EXPECT_TRUE(reads.Ready());
  EXPECT_EQ(reads.Take(), std::this_thread::get_id());
  EXPECT_EQ(runs, 1);
  EXPECT_FALSE(reads.Ready());
}

TEST(ThreadsReadAheadCancel, WaitsForTheRunningTasksAndEmptiesTheQueue) {
  constexpr int kThreads = 2;
  std::promise<void> gate;
  const std::shared_future<void> open = gate.get_future().share();
  std::atomic<int> started = 0;
  std::atomic<int> finished = 0;
  ReadAhead<int> reads(kThreads, 16);
  auto blocked = [&] {
    ++started;
    open.wait();
    ++finished;
    return 0;
  };
  for (int i = 0; i < kThreads; ++i) reads.Push(blocked);
  while (started < kThreads) std::this_thread::yield();
  for (int i = 0; i < 5; ++i) reads.Push(blocked);
  std::jthread opener([&gate] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    gate.set_value();
  });
  reads.Cancel();
  EXPECT_EQ(finished, started);
  EXPECT_TRUE(reads.Empty());
  reads.Push([] { return 7; });
  EXPECT_EQ(reads.Take(), 7);
}

}  // namespace
}  // namespace kestrilo::testing
