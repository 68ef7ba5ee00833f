#pragma once
// Folders listed ahead of the walk, on threads of their own. A cold folder
// listing waits on the disk, and so does the walk while it lists: its readers
// then run out of files. Here the folders the walk will enter next are listed
// meanwhile, the nearest first, and the sub-folders of each listing are queued
// in turn, up to a bound; the walk takes each listing in its own order,
// and lists a folder itself when it was not listed ahead, or waits for the
// listing that has started. Each listing is the same, made the same way, as
// the walk's own would be: the folder's facts just before its entries.
//
// One per walk, on the walk's thread; it refers to the file system it is
// given and owns its threads. Going away drops the listings not started and
// waits for the ones under way.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/file_system.h"

namespace kestrilo {

struct FolderListing {
  // The folder's own facts and the moment they were taken, when asked for.
  std::optional<FileFacts> facts;
  std::int64_t examinedAtNs = 0;
  std::vector<DirEntry> entries;
  bool complete = false;
  int error = 0;  // errno of a listing that is not complete
};

class FolderListings {
 public:
  // `withFacts`: whether each listing takes the folder's facts first.
  FolderListings(FileSystem& fs, bool withFacts);
  ~FolderListings();
  FolderListings(const FolderListings&) = delete;
  FolderListings& operator=(const FolderListings&) = delete;

  // Lists `folders` (each with its trailing separator) ahead, in this order
  // and before any folder queued earlier that has not started: the walk
  // enters a folder's sub-folders before the folders beside it.
  void Ahead(const std::vector<std::string>& folders);
  // The listing of `folder`, made ahead or now.
  FolderListing Take(const std::string& folder);
  // Lists with up to `threads` threads from now on (one at first).
  void Deepen(unsigned threads);

  // The sub-folders of `folder` (with its trailing separator) among its
  // `entries` that are listed ahead, each with its trailing separator.
  static std::vector<std::string> SubFolders(const std::string& folder, const std::vector<DirEntry>& entries);

  // Folders listed ahead or queued, and not taken yet, at most: the farthest
  // queued ones make way for nearer ones. While one thread lists (the cache
  // answers), a few ahead are enough and keep the memory down.
  static constexpr std::size_t kMostAhead = 256;
  static constexpr std::size_t kMostAheadWithOneThread = 32;

 private:
  struct Job {
    enum class State : std::uint8_t { Queued, Listing, Listed };
    State state = State::Queued;
    FolderListing listing;
  };

  FolderListing List(const std::string& folder);
  // Queues `folders` ahead of the others; with the lock held.
  void Queue(const std::vector<std::string>& folders);
  void Work();
  void Start(unsigned threads);

  FileSystem& fs_;
  const bool withFacts_;
  std::mutex mutex_;
  std::condition_variable queued_;
  std::condition_variable listed_;
  // Node-based: a job stays where it is while the map grows.
  std::unordered_map<std::string, Job> jobs_;
  std::deque<std::string> waiting_;  // queued folders, the nearest first
  bool closing_ = false;
  unsigned wanted_ = 1;
  std::size_t mostAhead_ = kMostAheadWithOneThread;
  std::vector<std::thread> threads_;
};

}  // namespace kestrilo
