#pragma once
// A file system for tests that pauses the worker at a chosen point, so that a
// test can act "from the window" at exactly that moment of a job.

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/path_text.h"

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

// The real file system, recording every folder it lists. A hold makes the
// worker wait at its gate the first time it lists the given folder.
class GatedFileSystem final : public FileSystem {
 public:
  ~GatedFileSystem() override { OpenAll(); }

  Gate& HoldAtListing(const std::string& folder) { return Arm(folder); }
  // Lets every held worker go on (a failed test must not leave one waiting).
  void OpenAll() {
    std::lock_guard lock(mutex_);
    for (Held& hold : holds_) hold.gate.Open();
  }

  std::vector<std::string> Listed() const {
    std::lock_guard lock(mutex_);
    return listed_;
  }

  bool ListFolder(const std::string& folder, std::vector<DirEntry>& out) override {
    std::string bare = folder;
    while (bare.size() > 1 && bare.back() == kSeparator) bare.pop_back();
    Gate* gate = nullptr;
    {
      std::lock_guard lock(mutex_);
      listed_.push_back(bare);
      gate = Take(bare);
    }
    if (gate != nullptr) gate->ArriveAndWait();
    return inner_.ListFolder(folder, out);
  }
  std::optional<FileFacts> Examine(const std::string& path, bool followLink) override {
    return inner_.Examine(path, followLink);
  }
  FileHandle OpenRead(const std::string& path) override { return inner_.OpenRead(path); }
  bool Exists(const std::string& path) override { return inner_.Exists(path); }
  bool Unlink(const std::string& path) override { return inner_.Unlink(path); }
  std::optional<MountInfo> MountOf(const std::string& path) override { return inner_.MountOf(path); }

 private:
  struct Held {
    std::string path;
    bool used = false;
    Gate gate;
  };

  Gate& Arm(const std::string& path) {
    std::lock_guard lock(mutex_);
    Held& held = holds_.emplace_back();
    held.path = path;
    return held.gate;
  }
  Gate* Take(const std::string& path) {
    for (Held& hold : holds_) {
      if (hold.path == path && !hold.used) {
        hold.used = true;
        return &hold.gate;
      }
    }
    return nullptr;
  }

  FileSystem& inner_ = SystemFileSystem();
  mutable std::mutex mutex_;
  std::vector<std::string> listed_;
  std::deque<Held> holds_;
};

}  // namespace kestrilo::testing
