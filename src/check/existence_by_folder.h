#pragma once
// Tells which of many paths still exist by listing each of their folders once
// instead of testing every path on its own: a folder listing answers for all
// the files in it in a few system calls. A name listed as a link (or of a kind
// the listing cannot tell) is tested on its own, so that a dangling link reads
// as missing, as it does for the single test; so is every path of a folder that
// cannot be listed.

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/file_system.h"

namespace kestrilo {

class ExistenceByFolder {
 public:
  ExistenceByFolder(FileSystem& fs, unsigned threads) : fs_(fs), threads_(threads) {}

  // Notes a path whose existence will be asked.
  void Expect(std::string_view path);
  // Lists every noted folder (in parallel).
  void ListFolders();
  // Whether `path` exists; only for noted paths, after ListFolders.
  bool Exists(const std::string& path) const;

 private:
  struct Folder {
    bool listed = false;
    std::unordered_set<std::string> plainNames;  // files and folders
    std::unordered_set<std::string> otherNames;  // links and the like
  };

  FileSystem& fs_;
  unsigned threads_;
  std::unordered_map<std::string, Folder> folders_;
};

}  // namespace kestrilo
