#include "check/existence_by_folder.h"

#include "check/parallel_for.h"
#include "platform/path_text.h"

namespace kestrilo {

void ExistenceByFolder::Expect(std::string_view path) {
  const std::string_view folder = FolderPartWithSeparator(path);
  if (folder.empty()) return;
  if (folders_.find(std::string(folder)) == folders_.end()) folders_.emplace(std::string(folder), Folder{});
}

void ExistenceByFolder::ListFolders() {
  std::vector<std::pair<const std::string, Folder>*> all;
  all.reserve(folders_.size());
  for (auto& entry : folders_) all.push_back(&entry);
  ParallelFor(all.size(), threads_, [&](std::size_t i) {
    Folder& folder = all[i]->second;
    std::vector<DirEntry> entries;
    folder.listed = fs_.ListFolder(all[i]->first, entries);
    if (!folder.listed) return;
    folder.plainNames.reserve(entries.size());
    for (auto& entry : entries) {
      const bool plain = entry.kind == EntryKind::File || entry.kind == EntryKind::Folder;
      (plain ? folder.plainNames : folder.otherNames).insert(std::move(entry.name));
    }
  });
}

bool ExistenceByFolder::Exists(const std::string& path) const {
  const std::string_view folderPart = FolderPartWithSeparator(path);
  const auto folder = folders_.find(std::string(folderPart));
  if (folder == folders_.end() || !folder->second.listed) return fs_.Exists(path);
  const std::string name(std::string_view(path).substr(folderPart.size()));
  if (folder->second.plainNames.count(name) != 0) return true;
  if (folder->second.otherNames.count(name) != 0) return fs_.Exists(path);
  return false;
}

}  // namespace kestrilo
