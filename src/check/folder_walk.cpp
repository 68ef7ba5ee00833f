// The folder walk: lists folders depth first in the order the system returns
// their entries, and registers every matching file in walk order. Reading the
// files' first bytes is the slow part, so it runs ahead on a pool of readers;
// registration, messages and the stop checkpoint stay strictly in walk order,
// which makes the outcome identical to reading one file after another.

#include <atomic>
#include <cerrno>
#include <deque>
#include <memory>
#include <future>
#include <string>
#include <utility>
#include <vector>

#include "check/duplicate_engine.h"
#include "check/status_texts.h"
#include "check/task_pool.h"
#include "fingerprint/file_signature.h"
#include "platform/path_text.h"
#include "platform/wildcard.h"

namespace kestrilo {

namespace {

constexpr std::size_t kBatchFiles = 64;
constexpr std::size_t kBatchesAhead = 64;
// Folder handles kept open for the readers at most; beyond that, files are
// opened by their full path.
constexpr int kFolderHandles = 128;

using FolderHandle = std::shared_ptr<const FileHandle>;

// A file to read: its full path and, when there is one, a handle on its folder
// through which it is opened by name (the system then need not walk the whole
// path again for every file).
struct WalkedFile {
  std::string path;
  FolderHandle folder;
  std::size_t nameAt = 0;
};

using Batch = std::vector<WalkedFile>;
using Probes = std::vector<FileProbe>;

// Hands files to the readers in batches and registers their probes in order.
class Registrar {
 public:
  Registrar(SignatureTable& table, StatusPanels& status, const StopRequest& stop, FileSystem& fs, unsigned threads)
      : table_(table), status_(status), stop_(stop), fs_(fs) {
    if (threads > 1) pool_.emplace(threads);
  }

  // Queues one file; false once the walk must end (stop request).
  bool Add(std::string path, FolderHandle folder = nullptr, std::size_t nameAt = 0) {
    batch_.push_back({std::move(path), std::move(folder), nameAt});
    if (batch_.size() >= kBatchFiles) return Flush();
    return !stopped_;
  }

  // Shows `text` in panel 1 after the messages of every file queued before
  // it; false when a stop request ended the registration of those.
  bool Say(const std::string& text) {
    if (!Finish()) return false;
    status_.SetPanelText(1, text);
    return true;
  }

  // Registers everything queued; false when a stop request ended it.
  bool Finish() {
    if (!Flush()) return false;
    while (!pending_.empty()) {
      if (!RegisterOldest()) return false;
    }
    return true;
  }

 private:
  bool Flush() {
    if (batch_.empty()) return !stopped_;
    auto paths = std::make_shared<Batch>(std::move(batch_));
    batch_.clear();
    if (!pool_) {
      pending_.emplace_back(paths, std::async(std::launch::deferred, [this, paths] { return ProbeAll(*paths); }));
    } else {
      pending_.emplace_back(paths, pool_->Submit([this, paths] { return ProbeAll(*paths); }));
    }
    while (pending_.size() > (pool_ ? kBatchesAhead : 0)) {
      if (!RegisterOldest()) return false;
    }
    // Register whatever is done already, so the count keeps moving.
    while (!pending_.empty() && pending_.front().second.wait_for(std::chrono::seconds(0)) == std::future_status::ready) {
      if (!RegisterOldest()) return false;
    }
    return true;
  }

  Probes ProbeAll(const Batch& files) {
    if (stop_.IsSet()) return {};
    std::vector<HeadRequest> requests;
    requests.reserve(files.size());
    for (const auto& file : files) requests.push_back({file.folder.get(), file.path.c_str() + file.nameAt, &file.path});
    return ProbeFiles(fs_, requests);
  }

  bool RegisterOldest() {
    auto [paths, future] = std::move(pending_.front());
    pending_.pop_front();
    const Probes probes = future.get();
    for (std::size_t i = 0; i < paths->size(); ++i) {
      if (stop_.IsSet() || i >= probes.size()) return Stop();
      Register((*paths)[i].path, probes[i]);
    }
    return true;
  }

  bool Stop() {
    stopped_ = true;
    if (pool_) pool_->DropPending();
    for (auto& entry : pending_) {
      if (entry.second.valid()) entry.second.wait();
    }
    pending_.clear();
    return false;
  }

  void Register(const std::string& path, const FileProbe& probe) {
    switch (probe.outcome) {
      case FileProbe::Outcome::TooLarge:
        status_.SetPanelText(1, "[" + path + "]" + texts::kTooLarge);
        return;
      case FileProbe::Outcome::Empty:
        status_.SetPanelText(1, "[" + path + "]" + texts::kZeroSize);
        return;
      case FileProbe::Outcome::Unopenable:
        status_.SetPanelText(1, "[" + path + "]" + texts::kMd5Error);
        return;
      case FileProbe::Outcome::Digested:
        break;
    }
    const std::string signature = MakeSignature(probe.digest, static_cast<std::uint32_t>(probe.size));
    if (table_.AddHash(signature, path) != 0) status_.SetPanelText(1, "[" + path + "]" + texts::kAddHashError);
    status_.SetPanelText(0, std::to_string(table_.GetFileCount()));
  }

  SignatureTable& table_;
  StatusPanels& status_;
  const StopRequest& stop_;
  FileSystem& fs_;
  Batch batch_;
  std::deque<std::pair<std::shared_ptr<Batch>, std::future<Probes>>> pending_;
  bool stopped_ = false;
  // Last, so that its threads are joined before anything they use goes.
  std::optional<TaskPool> pool_;
};

// Entry kind, asking the system only when the listing could not tell.
EntryKind KindOf(FileSystem& fs, const std::string& folder, const DirEntry& entry) {
  if (entry.kind != EntryKind::Unknown) return entry.kind;
  const auto facts = fs.Examine(folder + entry.name, false);
  return facts ? facts->kind : EntryKind::Other;
}

// One folder on the walk's own stack (the call stack never grows with depth).
struct Level {
  std::string folder;  // ends with the separator
  std::vector<DirEntry> entries;
  std::size_t next = 0;
  // A handle for the readers, opened at the level's first file and let go
  // before the walk descends (the listing itself is closed already).
  bool byName = false;
  FolderHandle handle;
};

// Opens folder handles for the readers while fewer than kFolderHandles are open.
class FolderHandles {
 public:
  explicit FolderHandles(FileSystem& fs) : fs_(fs) {}

  FolderHandle Open(const std::string& folder) {
    if (open_->load(std::memory_order_acquire) >= kFolderHandles) return nullptr;
    FileHandle handle = fs_.OpenFolder(folder);
    if (!handle.IsOpen()) return nullptr;
    open_->fetch_add(1, std::memory_order_acq_rel);
    return FolderHandle(new FileHandle(std::move(handle)), [count = open_](const FileHandle* closing) {
      delete closing;
      count->fetch_sub(1, std::memory_order_acq_rel);
    });
  }

 private:
  FileSystem& fs_;
  // Shared with the handles, which may go after the walk on a reader thread.
  std::shared_ptr<std::atomic<int>> open_ = std::make_shared<std::atomic<int>>(0);
};

}  // namespace

void DuplicateEngine::GetFiles(const std::string& path) {
  if (stop_.IsSet()) return;
  FolderHandles handles(fs_);
  Registrar registrar(table_, status_, stop_, fs_, EffectiveThreads(readerThreads_));

  // A path that names a file is registered on its own, whatever the wildcard
  // says. The chosen or dropped item itself is followed when it is a link, and
  // the file it leads to is registered: links are never read through later.
  if (const auto facts = fs_.Examine(path, true); facts && facts->kind != EntryKind::Folder) {
    if (facts->kind != EntryKind::File) return;
    const auto itself = fs_.Examine(path, false);
    const auto file = itself && itself->kind == EntryKind::Link ? fs_.Resolve(path) : path;
    if (file && registrar.Add(*file)) registrar.Finish();
    return;
  }

  const std::string wildcard = settings_.FilterText();
  const bool onePass = wildcard.empty() || wildcard == "*.*";

  // Lists `folder`; a listing that fails, also partway, keeps the entries
  // read before the failure and says so, unless the folder is not there at
  // all (a missing path, or a wildcard's sub-folder that this folder lacks).
  // False once the walk must end (stop request).
  auto list = [&](const std::string& folder, std::vector<DirEntry>& entries) {
    if (fs_.ListFolder(folder, entries) || errno == ENOENT || errno == ENOTDIR) return true;
    return registrar.Say("[" + folder + "]" + texts::kListError);
  };

  std::vector<Level> stack;
  auto enter = [&](std::string folder) {
    Level level;
    level.folder = std::move(folder);
    std::vector<DirEntry> all;
    if (!list(level.folder, all)) return false;
    if (onePass) {
      level.entries = std::move(all);
      level.byName = true;
      stack.push_back(std::move(level));
      return true;
    }
    // Filtered: the matching files of the folder first, then its sub-folders.
    const std::string pattern = level.folder + wildcard;
    const std::string patternFolder(FolderPartWithSeparator(pattern));
    const std::string_view namePattern = std::string_view(pattern).substr(patternFolder.size());
    std::vector<DirEntry> fileSide;
    const std::vector<DirEntry>* candidates = &all;
    // A wildcard's sub-folder is a search of its own, whether or not this
    // folder could be listed.
    if (patternFolder != level.folder) {
      if (!list(patternFolder, fileSide)) return false;
      candidates = &fileSide;
    }
    std::vector<DirEntry> ordered;
    for (const auto& entry : *candidates) {
      if (!WildcardMatch(namePattern, entry.name)) continue;
      if (KindOf(fs_, patternFolder, entry) != EntryKind::File) continue;
      // Matching files of a wildcard that names a sub-folder live there.
      ordered.push_back({patternFolder.substr(level.folder.size()) + entry.name, EntryKind::File});
    }
    for (auto& entry : all) {
      if (KindOf(fs_, level.folder, entry) == EntryKind::Folder) ordered.push_back({std::move(entry.name), EntryKind::Folder});
    }
    level.entries = std::move(ordered);
    level.byName = patternFolder == level.folder;
    stack.push_back(std::move(level));
    return true;
  };

  if (!enter(WithTrailingSeparator(path))) return;
  while (!stack.empty()) {
    Level& level = stack.back();
    if (level.next == level.entries.size()) {
      stack.pop_back();
      continue;
    }
    if (stop_.IsSet()) return;
    const DirEntry& entry = level.entries[level.next++];
    const EntryKind kind = KindOf(fs_, level.folder, entry);
    if (kind == EntryKind::Folder) {
      level.handle.reset();
      // May reallocate the stack: `level` is not used after.
      if (!enter(level.folder + entry.name + kSeparator)) return;
    } else if (kind == EntryKind::File) {
      if (level.byName && !level.handle) level.handle = handles.Open(level.folder);
      if (!registrar.Add(level.folder + entry.name, level.handle, level.folder.size())) return;
    }
  }
  registrar.Finish();
}

}  // namespace kestrilo
