#pragma once
// Runs slow tasks (reading files) ahead of the caller on a pool of threads and
// hands their results back strictly in the order the tasks were queued, so the
// caller sees the same sequence as if it had run each task itself, in turn.
//
// Call order, all on the caller's thread: Push while HasRoom, Take the oldest
// result when it is needed (or while Ready, to keep up without waiting),
// Cancel on a stop. With one thread there is no pool: a task runs on the
// caller's thread when its result is taken, and nothing runs ahead.
//
// The queue owns its threads and the queued tasks; a task owns what it
// captures by value. Cancel, and the destructor, drop the tasks that have not
// started and wait for the running ones, so no task outlives the queue.

#include <chrono>
#include <cstddef>
#include <deque>
#include <future>
#include <optional>
#include <utility>

#include "platform/task_pool.h"

namespace kestrilo {

template <typename Result>
class ReadAhead {
 public:
  // `window`: how many tasks may be queued and not yet taken (at least one).
  ReadAhead(unsigned threads, std::size_t window) : window_(window == 0 ? 1 : window) {
    if (threads > 1) pool_.emplace(threads);
  }
  ~ReadAhead() { Cancel(); }
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // Runs the tasks on up to `threads` threads from now on (never fewer than
  // before, and none with one thread).
  void Deepen(unsigned threads) {
    if (pool_) pool_->Grow(threads);
  }

  // Whether another task may be queued.
  bool HasRoom() const { return queued_.size() < (pool_ ? window_ : 1); }
  bool Empty() const { return queued_.empty(); }

  template <typename Fn>
  void Push(Fn task) {
    if (pool_) {
      queued_.push_back(pool_->Submit(std::move(task)));
    } else {
      queued_.push_back(std::async(std::launch::deferred, std::move(task)));
    }
  }

  // Whether the oldest result can be taken without waiting for another thread.
  bool Ready() const {
    if (queued_.empty()) return false;
    return !pool_ || queued_.front().wait_for(std::chrono::seconds(0)) == std::future_status::ready;
  }

  // The oldest result, waiting for it (or, with one thread, running its task);
  // only when not Empty.
  Result Take() {
    std::future<Result> oldest = std::move(queued_.front());
    queued_.pop_front();
    return oldest.get();
  }

  // Drops every queued task and result; waits for the tasks that are running.
  void Cancel() {
    if (pool_) pool_->DropPending();
    for (auto& future : queued_) {
      // A dropped task's future is ready at once (broken promise); a deferred
      // one never runs.
      if (pool_ && future.valid()) future.wait();
    }
    queued_.clear();
  }

 private:
  std::size_t window_;
  std::deque<std::future<Result>> queued_;
  // Last, so that its threads are joined before the queue goes.
  std::optional<TaskPool> pool_;
};

}  // namespace kestrilo
