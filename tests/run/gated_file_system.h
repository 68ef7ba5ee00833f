#pragma once
// A file system for tests that pauses the worker at a chosen point, so that a
// test can act "from the window" at exactly that moment of a job.

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace kestrilo::testing {

// A point the worker waits at until the window thread opens it.
class Gate {
 public:
  void ArriveAndWait() {
    std::unique_lock lock(mutex_);
    reached_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return open_; });
  }
  bool Reached() const {
    std::lock_guard lock(mutex_);
    return reached_;
  }
  void Open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool reached_ = false;
  bool open_ = false;
};

// The real file system; listing the folder `gated`, or testing whether the
// file `gatedExists` exists, waits at the gate (once). Every listed folder is
// recorded.
class GatedFileSystem final : public FileSystem {
 public:
  Gate gate;
  std::string gated;
  std::string gatedExists;

  std::vector<std::string> Listed() const {
    std::lock_guard lock(mutex_);
    return listed_;
  }

  bool ListFolder(const std::string& folder, std::vector<DirEntry>& out) override {
    std::string bare = folder;
    while (bare.size() > 1 && bare.back() == '/') bare.pop_back();
    bool wait = false;
    {
      std::lock_guard lock(mutex_);
      listed_.push_back(bare);
      wait = TakeGate(gated, bare);
    }
    if (wait) gate.ArriveAndWait();
    return inner_.ListFolder(folder, out);
  }
  std::optional<FileFacts> Examine(const std::string& path, bool followLink) override {
    return inner_.Examine(path, followLink);
  }
  FileHandle OpenRead(const std::string& path) override { return inner_.OpenRead(path); }
  bool Exists(const std::string& path) override {
    bool wait = false;
    {
      std::lock_guard lock(mutex_);
      wait = TakeGate(gatedExists, path);
    }
    if (wait) gate.ArriveAndWait();
    return inner_.Exists(path);
  }
  bool Unlink(const std::string& path) override { return inner_.Unlink(path); }
  std::optional<MountInfo> MountOf(const std::string& path) override { return inner_.MountOf(path); }

 private:
  bool TakeGate(const std::string& target, const std::string& path) {
    if (target.empty() || path != target || gateUsed_) return false;
    gateUsed_ = true;
    return true;
  }

  FileSystem& inner_ = SystemFileSystem();
  mutable std::mutex mutex_;
  std::vector<std::string> listed_;
  bool gateUsed_ = false;
};

}  // namespace kestrilo::testing
