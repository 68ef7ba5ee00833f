#include "platform/task_pool.h"

#include <algorithm>
#include <system_error>

namespace kestrilo {

TaskPool::TaskPool(unsigned threads) {
  try {
    threads_.reserve(threads);
    for (unsigned i = 0; i < threads; ++i) threads_.emplace_back([this] { Work(); });
  } catch (...) {
    // A thread that cannot be started (low memory) fails the pool, but the
    // ones started already must be joined, not left running.
    Close();
    throw;
  }
}

TaskPool::~TaskPool() { Close(); }

void TaskPool::Close() {
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
    queue_.clear();
  }
  wake_.notify_all();
  for (auto& thread : threads_) thread.join();
}

void TaskPool::Grow(unsigned threads) {
  try {
    while (threads_.size() < threads) threads_.emplace_back([this] { Work(); });
  } catch (const std::system_error&) {
    // The threads that did start are enough to go on with.
  }
}

void TaskPool::DropPending() {
  std::lock_guard lock(mutex_);
  queue_.clear();
}

void TaskPool::Work() {
  for (;;) {
    std::function<void()> task;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return closing_ || !queue_.empty(); });
      if (queue_.empty()) return;
      task = std::move(queue_.front());
      queue_.pop_front();
    }
    task();
  }
}

unsigned EffectiveThreads(unsigned requested) {
  const unsigned reported = std::thread::hardware_concurrency();
  const unsigned cores = reported == 0 ? 1 : reported;
  if (requested == 0) return std::min(cores, kMostReaderThreads);
  return std::min({requested, cores * kReaderThreadsPerCore, kMostReaderThreads});
}

unsigned ReadingDepth(unsigned requested) {
  return requested == 0 ? std::min(kReadsInFlight, kMostReaderThreads) : EffectiveThreads(requested);
}

}  // namespace kestrilo
