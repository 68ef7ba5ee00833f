#pragma once
// Removal of one row's file that never costs its group the content: the file
// goes only when a partner row of its group still names another regular file
// with the same bytes. The result set says which rows were found identical;
// the disk may have changed since (a partner deleted, rewritten, or replaced
// by a link to this very file), so the partner is checked right before the
// file is unlinked.

#include <functional>
#include <span>
#include <string>

#include "check/result_set.h"
#include "platform/file_system.h"

namespace kestrilo {

// Told of each removal, right after the unlink: the row whose file went and
// the partner row whose file vouched for its content.
using RemovalObserver = std::function<void(int row, int partner)>;

class VerifiedRemoval {
 public:
  VerifiedRemoval(ResultSet& results, FileSystem& fs, RemovalObserver observer = {});

  // Unlinks the file of data row `row` when it is a regular file (not a link,
  // not a folder) and one of `partners` (rows of its group, in order of
  // preference) holds its content; then marks the row deleted. False, with
  // the row and the file left alone, otherwise.
  bool Remove(int row, std::span<const int> partners);

 private:
  // Whether the file of `partner` is still a copy of `file` (the facts and
  // path of the row to remove): a regular file, not the same file, same bytes.
  bool HoldsContentOf(int partner, int row, const FileFacts& file, const std::string& path);
  // Whether the file of `row` is exactly as the verification pass read it.
  bool UnchangedSinceVerified(int row, const FileFacts& now) const;

  ResultSet& results_;
  FileSystem& fs_;
  RemovalObserver observer_;
};

}  // namespace kestrilo
