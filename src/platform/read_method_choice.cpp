#include "platform/read_method_choice.h"

#include <algorithm>

namespace kestrilo {

namespace {

// Batches of each way timed before the faster one is preferred.
constexpr std::uint32_t kFirstTurns = 4;
// One batch in this many is read the slower way.
constexpr std::uint64_t kTryEvery = 16;
// A batch weighs as much as the running average before it, so that the slower
// way, timed only now and then, catches up with a change within a few tries;
// and counts as at most twice the average, so that one batch held up by the
// scheduler turns the choice for one try at most.
constexpr std::uint64_t kWeight = 2;
constexpr std::uint64_t kMostAbove = 2;

std::size_t Index(ReadMethod method) { return method == ReadMethod::Ring ? 0 : 1; }

ReadMethod Other(ReadMethod method) { return method == ReadMethod::Ring ? ReadMethod::Calls : ReadMethod::Ring; }

}  // namespace

ReadMethod ReadMethodChoice::Next() {
  const std::uint64_t batch = batches_.fetch_add(1, std::memory_order_relaxed);
  if (timed_[0].load(std::memory_order_relaxed) < kFirstTurns ||
      timed_[1].load(std::memory_order_relaxed) < kFirstTurns) {
    return batch % 2 == 0 ? ReadMethod::Ring : ReadMethod::Calls;
  }
  const ReadMethod faster =
      nsPerFile_[0].load(std::memory_order_relaxed) <= nsPerFile_[1].load(std::memory_order_relaxed)
          ? ReadMethod::Ring
          : ReadMethod::Calls;
  return batch % kTryEvery == kTryEvery - 1 ? Other(faster) : faster;
}

void ReadMethodChoice::Record(ReadMethod method, std::chrono::nanoseconds took, std::size_t files) {
  if (files == 0) return;
  const std::size_t way = Index(method);
  const auto sample = static_cast<std::uint64_t>(std::max<std::int64_t>(took.count(), 0)) / files;
  // Two threads may update at once and one update be lost: an average of
  // timings does not need every one.
  const std::uint64_t average = nsPerFile_[way].load(std::memory_order_relaxed);
  const std::uint32_t timed = timed_[way].load(std::memory_order_relaxed);
  std::uint64_t next = sample;
  if (timed > 0) {
    next = average - average / kWeight + std::min(sample, std::max<std::uint64_t>(average, 1) * kMostAbove) / kWeight;
  }
  nsPerFile_[way].store(next, std::memory_order_relaxed);
  // Counted only as far as the first turns need.
  if (timed < kFirstTurns) timed_[way].fetch_add(1, std::memory_order_relaxed);
}

}  // namespace kestrilo
