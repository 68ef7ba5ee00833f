#pragma once
// The FileSystem of Windows, over the wide Win32 functions. Paths are UTF-8;
// see win32_paths.h for how they reach the system.

#include "platform/file_system.h"

namespace kestrilo {

class Win32FileSystem final : public FileSystem {
 public:
  // FindFirstFileExW/FindNextFileW; kinds from the listed attributes, a
  // reparse point that stands for another name (symbolic link, junction) is
  // a Link; the recall attributes of a cloud placeholder make it inCloud.
  bool ListFolder(const std::string& folder, std::vector<DirEntry>& out) override;
  // Identity is the volume serial number and the file index; followLink false
  // examines a reparse point itself.
  std::optional<FileFacts> Examine(const std::string& path, bool followLink) override;
  // Shared for reading, writing and deletion, so that other programs are not
  // hindered; a link, a folder, a file in the cloud or anything but a file on
  // a disk is refused.
  FileHandle OpenRead(const std::string& path) override;
  bool Exists(const std::string& path) override;
  // DeleteFileW: a read-only file is not removed.
  bool Unlink(const std::string& path) override;
  // Both files shared for reading alone, the removal by
  // SetFileInformationByHandle; a read-only file is not removed.
  bool HoldsRemovals() const override { return true; }
  FileHandle OpenToRemove(const std::string& path) override;
  FileHandle OpenToKeep(const std::string& path) override;
  bool RemoveOpen(const FileHandle& file, const std::string& path) override;
  bool RemovalRefused(const std::string& path) override;
  // The volume that holds `path` (GetVolumePathNameW); a UNC path or a
  // network drive (DRIVE_REMOTE) is a network one.
  std::optional<MountInfo> MountOf(const std::string& path) override;
};

}  // namespace kestrilo
