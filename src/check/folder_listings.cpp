#include "check/folder_listings.h"

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <utility>

#include "platform/path_text.h"

namespace kestrilo {

FolderListings::FolderListings(FileSystem& fs, bool withFacts) : fs_(fs), withFacts_(withFacts) {}

FolderListings::~FolderListings() {
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
    waiting_.clear();
  }
  queued_.notify_all();
  for (auto& thread : threads_) thread.join();
}

FolderListing FolderListings::List(const std::string& folder) {
  FolderListing listing;
  // Taken just before the listing, so that any change after it shows.
  if (withFacts_) {
    listing.examinedAtNs = SystemClockNs();
    listing.facts = fs_.Examine(folder, true);
  }
  listing.complete = fs_.ListFolder(folder, listing.entries);
  listing.error = listing.complete ? 0 : errno;
  return listing;
}

std::vector<std::string> FolderListings::SubFolders(const std::string& folder, const std::vector<DirEntry>& entries) {
  std::vector<std::string> folders;
  for (const DirEntry& entry : entries) {
    // A folder in the cloud is not listed, and an entry of unknown kind is
    // left to the walk.
    if (entry.kind == EntryKind::Folder && !entry.inCloud) folders.push_back(folder + entry.name + kSeparator);
  }
  return folders;
}

void FolderListings::Ahead(const std::vector<std::string>& folders) {
  if (folders.empty()) return;
  {
    std::lock_guard lock(mutex_);
    Queue(folders);
  }
  Start(wanted_);
  queued_.notify_all();
}

void FolderListings::Queue(const std::vector<std::string>& folders) {
  if (closing_) return;
  // A listing queues the sub-folders that the walk queues again when it
  // enters the folder: those already here keep their place and take no room.
  std::vector<const std::string*> fresh;
  for (const std::string& folder : folders) {
    if (!jobs_.contains(folder)) fresh.push_back(&folder);
  }
  std::size_t room = mostAhead_ > jobs_.size() ? mostAhead_ - jobs_.size() : 0;
  // The farthest queued folders make way; the walk lists them itself.
  while (room < fresh.size() && !waiting_.empty()) {
    jobs_.erase(waiting_.back());
    waiting_.pop_back();
    ++room;
  }
  for (std::size_t i = std::min(room, fresh.size()); i-- > 0;) {
    jobs_.try_emplace(*fresh[i]);
    waiting_.push_front(*fresh[i]);
  }
}

FolderListing FolderListings::Take(const std::string& folder) {
  std::unique_lock lock(mutex_);
  const auto found = jobs_.find(folder);
  if (found == jobs_.end()) {
    lock.unlock();
    return List(folder);
  }
  Job& job = found->second;
  if (job.state == Job::State::Queued) {
    // Not started: listed here rather than waited for.
    waiting_.erase(std::find(waiting_.begin(), waiting_.end(), folder));
    jobs_.erase(found);
    lock.unlock();
    return List(folder);
  }
  listed_.wait(lock, [&job] { return job.state == Job::State::Listed; });
  FolderListing listing = std::move(job.listing);
  jobs_.erase(found);
  return listing;
}

void FolderListings::Deepen(unsigned threads) {
  wanted_ = std::max(wanted_, threads);
  if (wanted_ > 1) {
    std::lock_guard lock(mutex_);
    mostAhead_ = kMostAhead;
  }
  if (!threads_.empty()) Start(wanted_);
}

void FolderListings::Start(unsigned threads) {
  try {
    while (threads_.size() < threads) threads_.emplace_back([this] { Work(); });
  } catch (const std::system_error&) {
    // Folders that no thread lists ahead are listed by the walk.
  }
}

void FolderListings::Work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    queued_.wait(lock, [this] { return closing_ || !waiting_.empty(); });
    if (closing_) return;
    const std::string folder = std::move(waiting_.front());
    waiting_.pop_front();
    Job& job = jobs_.at(folder);
    job.state = Job::State::Listing;
    lock.unlock();
    FolderListing listing = List(folder);
    // The walk enters these next, unless it is already on its way elsewhere.
    const std::vector<std::string> below = SubFolders(folder, listing.entries);
    lock.lock();
    job.listing = std::move(listing);
    job.state = Job::State::Listed;
    Queue(below);
    listed_.notify_all();
    if (!below.empty()) queued_.notify_all();
  }
}

}  // namespace kestrilo
