#pragma once
// A path as a folder handle and a name relative to it, so that a path longer
// than the system takes in one call (PATH_MAX) can still be examined, opened,
// listed and removed: the leading pieces, each cut at a separator and short
// enough for one call, are opened one after another, each relative to the
// folder the one before it reached. Shorter paths are taken as they are.

#include <fcntl.h>

#include <string>

#include "platform/file_system.h"

namespace kestrilo {

class ReachedPath {
 public:
  // `path` must outlive this object.
  explicit ReachedPath(const std::string& path);

  // AT_FDCWD, or the folder that the leading pieces reached.
  int Folder() const { return folder_.IsOpen() ? folder_.Fd() : AT_FDCWD; }
  // The rest of the path, relative to Folder(); null (errno set) when a
  // leading piece could not be opened.
  const char* Name() const { return name_; }

 private:
  FileHandle folder_;
  const char* name_;
};

}  // namespace kestrilo
