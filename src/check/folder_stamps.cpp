#include "check/folder_stamps.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace kestrilo {

namespace {

// Some file systems keep times in whole seconds, FAT in two.
constexpr std::int64_t kClockMarginNs = 2'000'000'000;

}  // namespace

void FolderStamps::Listing(std::string_view folder, const std::optional<FileFacts>& facts) {
  const std::int64_t nowNs =
      std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch()).count();
  const bool settled = facts && facts->kind == EntryKind::Folder && facts->ctimeNs < nowNs - kClockMarginNs &&
                       facts->mtimeNs < nowNs - kClockMarginNs;
  // Every name that a later listing sees was there at the first, unless the
  // folder changed in between, and then it no longer has the first one's facts.
  stamps_.try_emplace(std::string(folder), settled ? facts : std::nullopt);
}

void FolderStamps::Unvouched(std::string_view folder) { stamps_.insert_or_assign(std::string(folder), std::nullopt); }

std::optional<FileFacts> FolderStamps::Vouching(std::string_view folder) const {
  const auto found = stamps_.find(folder);
  return found == stamps_.end() ? std::nullopt : found->second;
}

}  // namespace kestrilo
