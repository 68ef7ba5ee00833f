#include "check/task_pool.h"

namespace kestrilo {

TaskPool::TaskPool(unsigned threads) {
  threads_.reserve(threads);
  for (unsigned i = 0; i < threads; ++i) threads_.emplace_back([this] { Work(); });
}

TaskPool::~TaskPool() {
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
    queue_.clear();
  }
  wake_.notify_all();
  for (auto& thread : threads_) thread.join();
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
  if (requested != 0) return requested;
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : cores;
}

}  // namespace kestrilo
