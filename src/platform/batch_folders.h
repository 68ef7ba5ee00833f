#pragma once
// The folders of a batch's files. Files of one folder that follow one another
// are looked up by name in it, opened once for them, instead of each along its
// whole path; a file on its own keeps its path.

#include <string>
#include <string_view>
#include <vector>

namespace kestrilo {

// Where a file is opened from: a folder's handle and the name in it, or
// AT_FDCWD and the whole path.
struct PlaceInFolder {
  int folder;
  const char* name;
};

class BatchFolders {
 public:
  BatchFolders() = default;
  BatchFolders(const BatchFolders&) = delete;
  BatchFolders& operator=(const BatchFolders&) = delete;
  ~BatchFolders() { Close(); }

  // Where `path`, whose successor in the batch is `next` (or nothing), is
  // opened from; valid until Close, as long as `path` is.
  PlaceInFolder Place(const std::string& path, const std::string* next);

  // Closes the folders opened so far.
  void Close();

 private:
  std::string_view folder_;
  int fd_ = -1;
  std::vector<int> opened_;
};

}  // namespace kestrilo
