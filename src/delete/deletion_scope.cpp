#include "delete/deletion_scope.h"

#include <memory>
#include <unordered_map>
#include <utility>

#include "platform/path_text.h"

namespace kestrilo {

bool IsBelowFolder(std::string_view folderCell, std::string_view folder) {
  if (!folderCell.starts_with(folder)) return false;
  return folderCell.size() == folder.size() || folderCell[folder.size()] == kSeparator;
}

std::string WithoutTrailingSeparators(std::string folder) {
  while (EndsWithSeparator(folder)) folder.pop_back();
  return folder;
}

FolderScope BelowFolder(std::string folder) {
  return [folder = std::move(folder)](const std::string& folderCell) { return IsBelowFolder(folderCell, folder); };
}

FolderScope OnDevice(FileSystem& fs, std::uint64_t device) {
  auto known = std::make_shared<std::unordered_map<std::string, bool>>();
  return [&fs, device, known](const std::string& folderCell) {
    const auto found = known->find(folderCell);
    if (found != known->end()) return found->second;
    const auto facts = fs.Examine(FolderCellAsPath(folderCell), true);
    const bool onDevice = facts && facts->id.device == device;
    known->emplace(folderCell, onDevice);
    return onDevice;
  };
}

}  // namespace kestrilo
