#include "platform/read_method_choice.h"

#include <algorithm>

namespace kestrilo {

namespace {

// Consecutive batches are read one way together, this many for each batch in
// flight: every thread that reads meanwhile reads the same way, so that one
// way's batches are not timed while the other's load the machine (the ring's
// workers run beside the calls).
constexpr std::uint64_t kRunBatches = 4;
// Batches of each way timed, a run of each by turns, before the faster one is
// preferred.
constexpr std::uint32_t kFirstTurns = kRunBatches;
// One run in this many is read the slower way.
constexpr std::uint64_t kTryEvery = 32;
// A batch weighs as much as the running average before it, and counts as at
// most twice the average, so that one batch held up by the scheduler turns the
// choice until the next try at most.
constexpr std::uint64_t kWeight = 2;
constexpr std::uint64_t kMostAbove = 2;

std::size_t Index(ReadMethod method) { return method == ReadMethod::Ring ? 0 : 1; }

ReadMethod Other(ReadMethod method) { return method == ReadMethod::Ring ? ReadMethod::Calls : ReadMethod::Ring; }

}  // namespace

std::optional<ReadMethod> ReadMethodChoice::Preferred() const {
  if (timed_[0].load(std::memory_order_relaxed) < kFirstTurns ||
      timed_[1].load(std::memory_order_relaxed) < kFirstTurns) {
    return std::nullopt;
  }
  return nsPerFile_[0].load(std::memory_order_relaxed) <= nsPerFile_[1].load(std::memory_order_relaxed)
             ? ReadMethod::Ring
             : ReadMethod::Calls;
}

std::uint64_t ReadMethodChoice::RunBatches() const {
  return kRunBatches * mostInFlight_.load(std::memory_order_relaxed);
}

ReadMethod ReadMethodChoice::Next() {
  const std::uint64_t inFlight = inFlight_.fetch_add(1, std::memory_order_relaxed) + 1;
  std::uint64_t most = mostInFlight_.load(std::memory_order_relaxed);
  while (inFlight > most && !mostInFlight_.compare_exchange_weak(most, inFlight, std::memory_order_relaxed)) {
  }
  const std::uint64_t run = batches_.fetch_add(1, std::memory_order_relaxed) / RunBatches();
  std::optional<ReadMethod> faster = Preferred();
  if (!faster && guide_ != nullptr) faster = guide_->Preferred();
  if (!faster) return run % 2 == 0 ? ReadMethod::Ring : ReadMethod::Calls;
  return run % kTryEvery == kTryEvery - 1 ? Other(*faster) : *faster;
}

void ReadMethodChoice::Record(ReadMethod method, std::chrono::nanoseconds took, std::size_t files) {
  inFlight_.fetch_sub(1, std::memory_order_relaxed);
  if (files == 0) return;
  const std::size_t way = Index(method);
  const auto sample = static_cast<std::uint64_t>(std::max<std::int64_t>(took.count(), 0)) / files;
  // Two threads may update at once and one update be lost: an average of
  // timings does not need every one.
  const std::uint64_t average = nsPerFile_[way].load(std::memory_order_relaxed);
  const std::uint32_t timed = timed_[way].load(std::memory_order_relaxed);
  const std::uint64_t now = batches_.load(std::memory_order_relaxed);
  // The slower way's average is as old as its last try: a new try starts it
  // afresh.
  const bool stale = now > lastTimed_[way].load(std::memory_order_relaxed) + 2 * RunBatches();
  std::uint64_t next = sample;
  if (timed > 0 && !stale) {
    next = average - average / kWeight + std::min(sample, std::max<std::uint64_t>(average, 1) * kMostAbove) / kWeight;
  }
  nsPerFile_[way].store(next, std::memory_order_relaxed);
  lastTimed_[way].store(now, std::memory_order_relaxed);
  // Counted only as far as the first turns need.
  if (timed < kFirstTurns) timed_[way].fetch_add(1, std::memory_order_relaxed);
}

}  // namespace kestrilo
