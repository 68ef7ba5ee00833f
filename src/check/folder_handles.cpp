#include "check/folder_handles.h"

#include <utility>

namespace kestrilo {

namespace {

constexpr int kFolderHandles = 128;

}  // namespace

FolderHandle FolderHandles::Open(const std::string& folder) {
  if (open_->load(std::memory_order_acquire) >= kFolderHandles) return nullptr;
  FileHandle handle = fs_.OpenFolder(folder);
  if (!handle.IsOpen()) return nullptr;
  open_->fetch_add(1, std::memory_order_acq_rel);
  return FolderHandle(new FileHandle(std::move(handle)), [count = open_](const FileHandle* closing) {
    delete closing;
    count->fetch_sub(1, std::memory_order_acq_rel);
  });
}

}  // namespace kestrilo
