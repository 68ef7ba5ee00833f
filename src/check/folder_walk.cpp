// The folder walk: lists folders depth first in the order the system returns
// their entries, and registers every matching file in walk order. Reading the
// files' first bytes is the slow part, so it runs ahead on a pool of readers;
// registration, messages and the stop checkpoint stay strictly in walk order,
// which makes the outcome identical to reading one file after another.

#include <deque>
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

using Batch = std::vector<std::string>;
using Probes = std::vector<FileProbe>;

// Hands files to the readers in batches and registers their probes in order.
class Registrar {
 public:
  Registrar(SignatureTable& table, StatusPanels& status, const StopRequest& stop, FileSystem& fs, unsigned threads)
      : table_(table), status_(status), stop_(stop), fs_(fs) {
    if (threads > 1) pool_.emplace(threads);
  }

  // Queues one file; false once the walk must end (stop request).
  bool Add(std::string path) {
    batch_.push_back(std::move(path));
    if (batch_.size() >= kBatchFiles) return Flush();
    return !stopped_;
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

  Probes ProbeAll(const Batch& paths) {
    Probes probes;
    probes.reserve(paths.size());
    for (const auto& path : paths) {
      if (stop_.IsSet()) break;
      probes.push_back(ProbeFile(fs_, path));
    }
    return probes;
  }

  bool RegisterOldest() {
    auto [paths, future] = std::move(pending_.front());
    pending_.pop_front();
    const Probes probes = future.get();
    for (std::size_t i = 0; i < paths->size(); ++i) {
      if (stop_.IsSet() || i >= probes.size()) return Stop();
      Register((*paths)[i], probes[i]);
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
};

}  // namespace

void DuplicateEngine::GetFiles(const std::string& path) {
  if (stop_.IsSet()) return;
  Registrar registrar(table_, status_, stop_, fs_, EffectiveThreads(readerThreads_));

  // A path that names a file (the chosen or dropped item itself is followed
  // when it is a link) is registered on its own, whatever the wildcard says.
  if (const auto facts = fs_.Examine(path, true); facts && facts->kind != EntryKind::Folder) {
    if (facts->kind == EntryKind::File && registrar.Add(path)) registrar.Finish();
    return;
  }

  const std::string wildcard = settings_.FilterText();
  const bool onePass = wildcard.empty() || wildcard == "*.*";

  std::vector<Level> stack;
  auto enter = [&](std::string folder) {
    Level level{std::move(folder), {}, 0};
    std::vector<DirEntry> all;
    if (!fs_.ListFolder(level.folder, all)) return;
    if (onePass) {
      level.entries = std::move(all);
      stack.push_back(std::move(level));
      return;
    }
    // Filtered: the matching files of the folder first, then its sub-folders.
    const std::string pattern = level.folder + wildcard;
    const std::string patternFolder(FolderPartWithSeparator(pattern));
    const std::string_view namePattern = std::string_view(pattern).substr(patternFolder.size());
    std::vector<DirEntry> fileSide;
    const std::vector<DirEntry>* candidates = &all;
    if (patternFolder != level.folder) {
      if (!fs_.ListFolder(patternFolder, fileSide)) fileSide.clear();
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
    stack.push_back(std::move(level));
  };

  enter(WithTrailingSeparator(path));
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
      enter(level.folder + entry.name + kSeparator);  // may reallocate the stack: `level` is not used after
    } else if (kind == EntryKind::File) {
      if (!registrar.Add(level.folder + entry.name)) return;
    }
  }
  registrar.Finish();
}

}  // namespace kestrilo
