#pragma once
// The stop request: set by the user, read by the running job at its
// checkpoints, cleared before each batch of walks and each duplicate check.

#include <atomic>

namespace kestrilo {

class StopRequest {
 public:
  bool IsSet() const { return flag_.load(std::memory_order_acquire) != 0; }
  void Set() { flag_.store(1, std::memory_order_release); }
  void Clear() { flag_.store(0, std::memory_order_release); }

 private:
  std::atomic<int> flag_{0};
};

}  // namespace kestrilo
