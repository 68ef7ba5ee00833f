#include "platform/batch_folders.h"

#include <fcntl.h>
#include <unistd.h>

#include "platform/path_text.h"

namespace kestrilo {

PlaceInFolder BatchFolders::Place(const std::string& path, const std::string* next) {
  const std::string_view folder = FolderPartWithSeparator(path);
  if (folder.empty()) return {AT_FDCWD, path.c_str()};
  if (folder != folder_) {
    folder_ = folder;
    fd_ = -1;
    if (next != nullptr && FolderPartWithSeparator(*next) == folder) {
      fd_ = ::open(std::string(folder).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
      if (fd_ >= 0) opened_.push_back(fd_);
    }
  }
  if (fd_ < 0) return {AT_FDCWD, path.c_str()};
  return {fd_, path.c_str() + folder.size()};
}

void BatchFolders::Close() {
  for (const int fd : opened_) ::close(fd);
  opened_.clear();
  folder_ = {};
  fd_ = -1;
}

}  // namespace kestrilo
