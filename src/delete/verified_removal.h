#pragma once
// Removal of one row's file that never costs its group the content: the file
// goes only when a partner row of its group still names another regular file
// with the same bytes. The result set says which rows were found identical;
// the disk may have changed since (a partner deleted, rewritten, or replaced
// by a link to this very file), so the partner is checked right before the
// file is removed. Where the file system can hold both files (Windows), they
// stay open with writing denied from that check to the removal.

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "check/result_set.h"
#include "platform/file_system.h"

namespace kestrilo {

// Told of each removal, right after it: the row whose file went and the
// partner row whose file vouched for its content.
using RemovalObserver = std::function<void(int row, int partner)>;

// Why a row's file stayed.
enum class RemovalFailure : std::uint8_t {
  Gone,      // the file is not there any more
  NotAFile,  // it is a link, a folder or the like now
  NoCopy,    // no partner still holds its content
  InUse,     // another program has it open
  ReadOnly,  // a read-only file, or a read-only file system
  Denied,    // no right to remove it
  Other,
};

// Told of each file that stayed, with the reason.
using FailureObserver = std::function<void(int row, RemovalFailure why)>;

class VerifiedRemoval {
 public:
  VerifiedRemoval(ResultSet& results, FileSystem& fs, RemovalObserver observer = {}, FailureObserver failed = {});

  // Removes the file of data row `row` when it is a regular file (not a link,
  // not a folder) and one of `partners` (rows of its group, in order of
  // preference) holds its content; then marks the row deleted. False, with
  // the row and the file left alone, otherwise.
  bool Remove(int row, std::span<const int> partners);

 private:
  // Removal by path: the partner is examined and read by its path.
  bool RemoveByPath(int row, std::span<const int> partners, const std::string& path);
  // Removal with the file and the partner held open.
  bool RemoveHeld(int row, std::span<const int> partners, const std::string& path);
  // Whether the file of `partner` is still a copy of `file` (the facts and
  // path of the row to remove): a regular file, not the same file, same bytes.
  bool HoldsContentOf(int partner, int row, const FileFacts& file, const std::string& path);
  // Whether the file of `row` is exactly as the verification pass read it.
  bool UnchangedSinceVerified(int row, const FileFacts& now) const;
  bool Removed(int row, int partner);
  bool Failed(int row, RemovalFailure why);

  ResultSet& results_;
  FileSystem& fs_;
  RemovalObserver observer_;
  FailureObserver failed_;
};

// The reason that errno gives after a failed removal.
RemovalFailure RemovalFailureOf(int error);

}  // namespace kestrilo
