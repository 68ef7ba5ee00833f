#include "check/folder_stamps.h"

#include <string>

namespace kestrilo {

void FolderStamps::Listing(std::string_view folder, const std::optional<FileFacts>& facts, std::int64_t examinedAtNs) {
  const bool settled = facts && facts->kind == EntryKind::Folder && SettledAt(*facts, examinedAtNs);
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
