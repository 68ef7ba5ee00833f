#pragma once
// Splits a set of files into classes of identical content, reading each byte
// of each file once where it can: the files are read side by side, block by
// block, and a class splits as soon as its members' blocks differ. A set too
// large to keep open at once is first sorted by a hash of the content after
// the head its files share, and only files with equal hashes are then read
// side by side.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "toolkit/stop_request.h"

namespace kestrilo {

struct ContentClasses {
  // Per file: its class (files with equal classes have identical content), or
  // -1 when it could not be opened. Two paths of one file share a class.
  std::vector<int> classOf;
  // Per file: its facts when it was opened.
  std::vector<std::optional<FileFacts>> facts;
  // A stop request cut the reading short; the classes are then incomplete.
  bool stopped = false;
};

// The path of the set's file at `place` (0 .. count - 1), asked for when the
// file is opened, on the classifying threads: a large set's paths are never
// all held at once.
using PathOfPlace = std::function<std::string(std::size_t place)>;

// The `count` files of a set, which had `size` bytes each when they were
// walked.
struct FileSet {
  std::size_t count = 0;
  PathOfPlace pathOf;
  std::uint64_t size = 0;
};

// Classifies a set. A set too large to keep open is hashed on `threads`
// threads.
ContentClasses ClassifyContents(FileSystem& fs, std::size_t count, const PathOfPlace& pathOf, std::uint64_t size,
                                const StopRequest& stop, unsigned threads = 1);

// Whether a set is read whole and compared in memory. The files of several
// such sets are best read in one batch: most sets hold two or three files,
// too few on their own to keep the file system busy.
bool ComparedInMemory(std::size_t count, std::uint64_t size);

// Classifies several sets, each as ClassifyContents would, reading the files
// of those compared in memory together.
std::vector<ContentClasses> ClassifyContents(FileSystem& fs, std::span<const FileSet> sets, const StopRequest& stop,
                                             unsigned threads = 1);

}  // namespace kestrilo
