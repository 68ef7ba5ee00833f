#pragma once
// Tells which of many paths still exist by listing each of their folders once
// instead of testing every path on its own: a folder listing answers for all
// the files in it in a few system calls. A name listed as a link (or of a kind
// the listing cannot tell) is tested on its own, so that a dangling link reads
// as missing, as it does for the single test; so is every path of a folder that
// cannot be listed.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "check/text_map.h"
#include "platform/file_system.h"

namespace kestrilo {

class ExistenceByFolder {
 public:
  ExistenceByFolder(FileSystem& fs, unsigned threads) : fs_(fs), threads_(threads) {}

  // Notes a folder (with its trailing separator) that holds paths whose
  // existence will be asked. When it still has the facts `unchangedIf`, every
  // path asked of it exists and it is not listed.
  void Expect(std::string_view folder, const std::optional<FileFacts>& unchangedIf = std::nullopt);
  // Lists every noted folder that may have changed (in parallel).
  void ListFolders();
  // Whether `path` exists; after ListFolders.
  bool Exists(const std::string& path) const;

 private:
  // The names of one folder, packed: with millions of files every byte per
  // name counts.
  struct Folder {
    std::optional<FileFacts> unchangedIf;
    bool unchanged = false;
    bool listed = false;
    struct Name {
      std::uint32_t offset;
      std::uint32_t length;
    };
    std::string plainNames;               // files and folders, one after another
    std::vector<Name> plainOrder;         // into plainNames, sorted by name
    std::vector<std::string> otherNames;  // links and the like, sorted
    bool HasPlain(std::string_view name) const;
  };

  FileSystem& fs_;
  unsigned threads_;
  // Looked up by a view into each path.
  TextMap<Folder> folders_;
};

}  // namespace kestrilo
