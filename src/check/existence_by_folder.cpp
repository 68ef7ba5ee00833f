#include "check/existence_by_folder.h"

#include <algorithm>
#include <utility>

#include "platform/parallel_for.h"
#include "platform/path_text.h"

namespace kestrilo {

void ExistenceByFolder::Expect(std::string_view folder, const std::optional<FileFacts>& unchangedIf) {
  if (!folder.empty() && folders_.find(folder) == folders_.end()) {
    Folder noted;
    noted.unchangedIf = unchangedIf;
    folders_.emplace(std::string(folder), std::move(noted));
  }
}

void ExistenceByFolder::ListFolders() {
  std::vector<std::pair<const std::string, Folder>*> all;
  all.reserve(folders_.size());
  for (auto& entry : folders_) all.push_back(&entry);
  ParallelFor(all.size(), threads_, [&](std::size_t i) {
    Folder& folder = all[i]->second;
    if (folder.unchangedIf && fs_.Examine(all[i]->first, true) == folder.unchangedIf) {
      folder.unchanged = true;
      return;
    }
    std::vector<DirEntry> entries;
    folder.listed = fs_.ListFolder(all[i]->first, entries);
    if (!folder.listed) return;
    for (auto& entry : entries) {
      if (entry.kind == EntryKind::File || entry.kind == EntryKind::Folder) {
        folder.plainOrder.push_back(
            {static_cast<std::uint32_t>(folder.plainNames.size()), static_cast<std::uint32_t>(entry.name.size())});
        folder.plainNames.append(entry.name);
      } else {
        folder.otherNames.push_back(std::move(entry.name));
      }
    }
    const char* names = folder.plainNames.data();
    std::sort(folder.plainOrder.begin(), folder.plainOrder.end(), [names](Folder::Name a, Folder::Name b) {
      return std::string_view(names + a.offset, a.length) < std::string_view(names + b.offset, b.length);
    });
    std::sort(folder.otherNames.begin(), folder.otherNames.end());
    folder.plainNames.shrink_to_fit();
    folder.plainOrder.shrink_to_fit();
  });
}

bool ExistenceByFolder::Folder::HasPlain(std::string_view name) const {
  const char* names = plainNames.data();
  const auto found = std::lower_bound(plainOrder.begin(), plainOrder.end(), name, [names](Name a, std::string_view b) {
    return std::string_view(names + a.offset, a.length) < b;
  });
  return found != plainOrder.end() && std::string_view(names + found->offset, found->length) == name;
}

bool ExistenceByFolder::Exists(const std::string& path) const {
  const std::string_view folderPart = FolderPartWithSeparator(path);
  const auto found = folderPart.empty() ? folders_.end() : folders_.find(folderPart);
  if (found != folders_.end() && found->second.unchanged) return true;
  if (found == folders_.end() || !found->second.listed) return fs_.Exists(path);
  const Folder* folder = &found->second;
  const std::string_view name = std::string_view(path).substr(folderPart.size());
  if (folder->HasPlain(name)) return true;
  const auto& others = folder->otherNames;
  if (std::binary_search(others.begin(), others.end(), name)) return fs_.Exists(path);
  return false;
}

}  // namespace kestrilo
