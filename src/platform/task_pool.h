#pragma once
// A fixed set of threads that run queued tasks in submission order (each task
// on whichever thread is free). Callers that need results in order keep the
// futures in order (platform/read_ahead.h); the pool itself knows nothing of
// results.

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

namespace kestrilo {

class TaskPool {
 public:
  explicit TaskPool(unsigned threads);
  // Waits for the running tasks; tasks not yet started are dropped (their
  // futures report a broken promise).
  ~TaskPool();
  TaskPool(const TaskPool&) = delete;
  TaskPool& operator=(const TaskPool&) = delete;

  template <typename Fn>
  auto Submit(Fn fn) -> std::future<decltype(fn())> {
    using Result = decltype(fn());
    auto task = std::make_shared<std::packaged_task<Result()>>(std::move(fn));
    auto future = task->get_future();
    {
      std::lock_guard lock(mutex_);
      queue_.emplace_back([task] { (*task)(); });
    }
    wake_.notify_one();
    return future;
  }

  // Drops the tasks that have not started yet.
  void DropPending();

  // Starts more threads, up to `threads` in all; as many as can be started.
  // Only on the thread that owns the pool.
  void Grow(unsigned threads);
  unsigned Threads() const { return static_cast<unsigned>(threads_.size()); }

 private:
  void Work();
  // Ends and joins the threads.
  void Close();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> queue_;
  bool closing_ = false;
  std::vector<std::thread> threads_;
};

// Readers wait on the disk far more than they compute, so a few per core pay;
// beyond that, threads only cost memory (and thousands fail to start).
inline constexpr unsigned kReaderThreadsPerCore = 8;
inline constexpr unsigned kMostReaderThreads = 64;

// The number of reading threads to use when the caller asked for `requested`
// (0: one per core), lowered to kReaderThreadsPerCore per core and to
// kMostReaderThreads in all.
unsigned EffectiveThreads(unsigned requested);

// Files read one after another wait for the disk one at a time; this many
// reads in flight keep a cold disk busy (a virtual disk that calls itself
// rotational reads 32 files at once twice as fast as 2, so its flag is no
// guide). On a warm cache the threads only take turns on the cores.
inline constexpr unsigned kReadsInFlight = 32;

// The most threads that read the walk's files when the caller asked for
// `requested`: EffectiveThreads of it, or kReadsInFlight for 0.
unsigned ReadingDepth(unsigned requested);

}  // namespace kestrilo
