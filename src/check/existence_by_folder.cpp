#include "check/existence_by_folder.h"

#include <algorithm>

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
    for (auto& entry : entries) {
      if (entry.kind == EntryKind::File || entry.kind == EntryKind::Folder) {
        folder.plainOrder.push_back(static_cast<std::uint32_t>(folder.plainNames.size()));
        folder.plainNames.append(entry.name).push_back('\0');
      } else {
        folder.otherNames.push_back(std::move(entry.name));
      }
    }
    const char* names = folder.plainNames.data();
    std::sort(folder.plainOrder.begin(), folder.plainOrder.end(),
              [names](std::uint32_t a, std::uint32_t b) { return std::string_view(names + a) < std::string_view(names + b); });
    std::sort(folder.otherNames.begin(), folder.otherNames.end());
    folder.plainNames.shrink_to_fit();
    folder.plainOrder.shrink_to_fit();
  });
}

bool ExistenceByFolder::Folder::HasPlain(std::string_view name) const {
  const char* names = plainNames.data();
  const auto found = std::lower_bound(plainOrder.begin(), plainOrder.end(), name,
                                      [names](std::uint32_t a, std::string_view b) { return std::string_view(names + a) < b; });
  return found != plainOrder.end() && std::string_view(names + *found) == name;
}

bool ExistenceByFolder::Exists(const std::string& path) const {
  const std::string_view folderPart = FolderPartWithSeparator(path);
  const auto folder = folders_.find(std::string(folderPart));
  if (folder == folders_.end() || !folder->second.listed) return fs_.Exists(path);
  const std::string_view name = std::string_view(path).substr(folderPart.size());
  if (folder->second.HasPlain(name)) return true;
  const auto& others = folder->second.otherNames;
  if (std::binary_search(others.begin(), others.end(), name)) return fs_.Exists(path);
  return false;
}

}  // namespace kestrilo
