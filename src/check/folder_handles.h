#pragma once
// Handles on the folders of the walk, through which the readers open each file
// by its name (the system then need not resolve the whole path again for every
// file). At most kFolderHandles are open at once; beyond that Open gives
// nothing and files are opened by their full path.
//
// The walk opens a handle at a folder's first file and lets go of it before
// it descends; queued reads share it, so the last of them closes it, possibly
// on a reader thread after the walk has ended.

#include <atomic>
#include <memory>
#include <string>

#include "platform/file_system.h"

namespace kestrilo {

using FolderHandle = std::shared_ptr<const FileHandle>;

class FolderHandles {
 public:
  explicit FolderHandles(FileSystem& fs) : fs_(fs) {}

  // A handle on `folder`, or nothing (too many open, or it cannot be opened).
  FolderHandle Open(const std::string& folder);

 private:
  FileSystem& fs_;
  // Shared with the handles, which may outlive this.
  std::shared_ptr<std::atomic<int>> open_ = std::make_shared<std::atomic<int>>(0);
};

}  // namespace kestrilo
