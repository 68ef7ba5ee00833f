#pragma once
// Which of two ways of reading a batch of files is the faster one here and
// now: one io_uring submission for the whole batch, or plain calls file by
// file. The ring saves system calls, which pays where every call is dear (a
// hypervisor that traps them); but the kernel runs the ring's statx and open
// on worker threads, and where calls are cheap the hand-offs to those workers
// cost more than the calls would: a warm check of 100,000 files can take two
// thirds longer through the ring. On a cold cache the ring's many reads in
// flight beat calls on a thread or two, but calls on a deep pool of threads
// beat the ring, with half its processor time (the kernel's workers that the
// ring hands its opens to are woken and put to sleep for every file). So both
// ways keep being timed as the batches go: the first batches take turns, and
// after that one batch in 32 is read the slower way, so that a change (the
// cache warming, other load) turns the choice. Every batch in flight is read
// the same way, so that each way is timed at the depth it gets: a batch of
// calls timed beside the ring's batches would seem slow only for its calls
// waiting one after another.

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace kestrilo {

enum class ReadMethod : std::uint8_t { Ring, Calls };

// Shared by every thread that reads batches; nothing here waits.
class ReadMethodChoice {
 public:
  ReadMethodChoice() = default;
  // A choice that, until it has timed both ways itself, takes the way `guide`
  // prefers instead of taking turns: the reads of whole files follow the
  // heads' reads, which have just been timed on the same machine and files.
  explicit ReadMethodChoice(const ReadMethodChoice* guide) : guide_(guide) {}

  // The way to read the next batch.
  ReadMethod Next();
  // How long a batch of `files` files took to read by `method`; every batch
  // that Next gave a way is recorded, with no files when it was not read.
  void Record(ReadMethod method, std::chrono::nanoseconds took, std::size_t files);

 private:
  // The faster way, once both have been timed.
  std::optional<ReadMethod> Preferred() const;
  // Batches read one way together: a few times as many as have been in
  // flight at once.
  std::uint64_t RunBatches() const;

  const ReadMethodChoice* guide_ = nullptr;
  std::atomic<std::uint64_t> batches_{0};
  std::atomic<std::uint64_t> inFlight_{0};
  std::atomic<std::uint64_t> mostInFlight_{1};
  // Per way, a running average of nanoseconds per file, and how many batches
  // it has been timed over, counted up to the first turns (both 0 until the
  // first).
  std::array<std::atomic<std::uint64_t>, 2> nsPerFile_{};
  std::array<std::atomic<std::uint32_t>, 2> timed_{};
  // Per way, how many batches had been asked for when it was last timed.
  std::array<std::atomic<std::uint64_t>, 2> lastTimed_{};
};

}  // namespace kestrilo
