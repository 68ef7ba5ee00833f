#pragma once
// Which rows a bulk deletion covers, judged by a row's folder: the rows
// below one folder, or the rows on one mounted file system.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace kestrilo {

using FolderScope = std::function<bool(const std::string& folderCell)>;

// True when `folderCell` is `folder` or a folder below it. `folder` has no
// trailing separator ("" is the root, which holds every folder), so /data
// covers /data and /data/sub but not /data2.
bool IsBelowFolder(std::string_view folderCell, std::string_view folder);

// `folder` without trailing separators: "/data/" -> "/data", "/" -> "".
std::string WithoutTrailingSeparators(std::string folder);

FolderScope BelowFolder(std::string folder);

// Folders that lie on the file system with device id `device` (the folder
// itself is followed when it is a link: its files are where it leads). A
// folder that cannot be examined is not on it. Each distinct folder is
// examined once.
FolderScope OnDevice(FileSystem& fs, std::uint64_t device);

}  // namespace kestrilo
