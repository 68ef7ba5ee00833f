#include "check/folder_walk.h"

#include <cerrno>
#include <string_view>
#include <utility>

#include "check/status_texts.h"
#include "platform/path_text.h"
#include "platform/wildcard.h"

namespace kestrilo {

namespace {

// Listings made at once while the walk reads from the disk: a cold listing
// waits on the disk about as long as a file's read.
constexpr unsigned kListingThreads = 8;

}  // namespace

FolderWalk::FolderWalk(SignatureTable& table, FolderStamps& stamps, StatusPanels& status, const JobSettings& settings,
                       const StopRequest& stop, FileSystem& fs, unsigned readerThreads, unsigned mostReaderThreads)
    : stamps_(stamps),
      settings_(settings),
      stop_(stop),
      fs_(fs),
      handles_(fs),
      listings_(fs, kFolderTimesShowChanges),
      registration_(table, status, stop, fs, readerThreads, mostReaderThreads) {}

void FolderWalk::Walk(const std::string& path) {
  if (TookAsFile(path)) return;
  wildcard_ = settings_.FilterText();
  WalkFolder(WithTrailingSeparator(path));
}

bool FolderWalk::TookAsFile(const std::string& path) {
  // A path that names a file is registered on its own, whatever the wildcard
  // says. The chosen or dropped item itself is followed when it is a link, and
  // the file it leads to is registered: links are never read through later.
  const auto facts = fs_.Examine(path, true);
  if (!facts || facts->kind == EntryKind::Folder) return false;
  if (facts->kind != EntryKind::File) return true;
  const auto itself = fs_.Examine(path, false);
  const auto file = itself && itself->kind == EntryKind::Link ? fs_.Resolve(path) : path;
  if (!file) return true;
  stamps_.Unvouched(FolderPartWithSeparator(*file));
  if (facts->inCloud ? registration_.AddInCloud(*file) : registration_.Add(*file)) registration_.Finish();
  return true;
}

void FolderWalk::WalkFolder(const std::string& folder) {
  if (!Enter(folder)) return;
  while (!stack_.empty()) {
    Level& level = stack_.back();
    if (level.next == level.entries.size()) {
      stack_.pop_back();
      continue;
    }
    if (stop_.IsSet()) return;
    const DirEntry& entry = level.entries[level.next++];
    const EntryKind kind = KindOf(level.folder, entry);
    if (kind == EntryKind::Folder && entry.inCloud) {
      // Listing it would download it.
      if (!registration_.Say("[" + level.folder + entry.name + kSeparator + "]" + texts::kFolderInCloud)) return;
    } else if (kind == EntryKind::Folder) {
      level.handle.reset();
      // May reallocate the stack: `level` is not used after.
      if (!Enter(level.folder + entry.name + kSeparator)) return;
    } else if (kind == EntryKind::File && entry.inCloud) {
      if (!registration_.AddInCloud(level.folder + entry.name)) return;
    } else if (kind == EntryKind::File) {
      if (level.byName && !level.handle) level.handle = handles_.Open(level.folder);
      if (!registration_.Add(level.folder + entry.name, level.handle, level.folder.size())) return;
    }
  }
  registration_.Finish();
}

bool FolderWalk::Enter(std::string folder) {
  Level level;
  level.folder = std::move(folder);
  std::vector<DirEntry> all;
  if (!List(level.folder, all)) return false;
  if (wildcard_.empty() || wildcard_ == "*.*") {
    level.entries = std::move(all);
    level.byName = true;
  } else if (!FilterEntries(level, std::move(all))) {
    return false;
  }
  ListAhead(level);
  stack_.push_back(std::move(level));
  return true;
}

void FolderWalk::ListAhead(const Level& level) {
  // Once the files come from the disk, so do the listings: more of them are
  // made at once.
  if (registration_.ReadingTheDisk()) listings_.Deepen(kListingThreads);
  listings_.Ahead(FolderListings::SubFolders(level.folder, level.entries));
}

bool FolderWalk::FilterEntries(Level& level, std::vector<DirEntry> all) {
  const std::string pattern = level.folder + wildcard_;
  const std::string patternFolder(FolderPartWithSeparator(pattern));
  const std::string_view namePattern = std::string_view(pattern).substr(patternFolder.size());
  std::vector<DirEntry> fileSide;
  const std::vector<DirEntry>* candidates = &all;
  // A wildcard's sub-folder is a search of its own, whether or not this
  // folder could be listed.
  if (patternFolder != level.folder) {
    if (!List(patternFolder, fileSide)) return false;
    candidates = &fileSide;
  }
  for (const auto& entry : *candidates) {
    if (!WildcardMatch(namePattern, entry.name)) continue;
    if (KindOf(patternFolder, entry) != EntryKind::File) continue;
    // Matching files of a wildcard that names a sub-folder live there.
    level.entries.push_back({patternFolder.substr(level.folder.size()) + entry.name, EntryKind::File, entry.inCloud});
  }
  for (auto& entry : all) {
    if (KindOf(level.folder, entry) == EntryKind::Folder)
      level.entries.push_back({std::move(entry.name), EntryKind::Folder, entry.inCloud});
  }
  level.byName = patternFolder == level.folder;
  return true;
}

bool FolderWalk::List(const std::string& folder, std::vector<DirEntry>& entries) {
  // A listing that fails, also partway, keeps the entries read before the
  // failure and says so, unless the folder is not there at all (a missing
  // path, or a wildcard's sub-folder that this folder lacks).
  FolderListing listing = listings_.Take(folder);
  if constexpr (kFolderTimesShowChanges) stamps_.Listing(folder, listing.facts, listing.examinedAtNs);
  entries = std::move(listing.entries);
  if (listing.complete || listing.error == ENOENT || listing.error == ENOTDIR) return true;
  return registration_.Say("[" + folder + "]" + texts::kListError);
}

EntryKind FolderWalk::KindOf(const std::string& folder, const DirEntry& entry) {
  if (entry.kind != EntryKind::Unknown) return entry.kind;
  const auto facts = fs_.Examine(folder + entry.name, false);
  return facts ? facts->kind : EntryKind::Other;
}

}  // namespace kestrilo
