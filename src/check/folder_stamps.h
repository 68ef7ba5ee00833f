#pragma once
// What the walks saw of each folder they listed, so that a later extraction
// can tell the folders that have not changed since: every name listed then is
// still there, and the folder need not be listed again to find vanished files.
// Adding, removing or renaming an entry changes a folder's change time, which
// no program can set back; where the system does not promise that, the walk
// stamps no folder.
//
// A folder vouches for its listings while it has the facts of its first one,
// and only when both hold:
// - its times were older than a clock margin when it was first listed, so
//   that a later change cannot fall on the same tick of a coarse file-system
//   clock and leave them as they were;
// - nothing else put a file of it in the table (a file named on its own may
//   have vanished before the folder was listed).
//
// Used by one job at a time on the worker thread, like the table.

#include <cstdint>
#include <optional>
#include <string_view>

#include "check/text_map.h"
#include "platform/file_system.h"

namespace kestrilo {

class FolderStamps {
 public:
  // `folder` (with its trailing separator) was listed; `facts` are its own,
  // taken at `examinedAtNs` just before the listing.
  void Listing(std::string_view folder, const std::optional<FileFacts>& facts, std::int64_t examinedAtNs);
  // A file of `folder` was registered without listing it.
  void Unvouched(std::string_view folder);
  // The facts that `folder` must still have for its listings to hold; nothing
  // when it cannot vouch for them.
  std::optional<FileFacts> Vouching(std::string_view folder) const;
  void Clear() { stamps_.clear(); }

 private:
  TextMap<std::optional<FileFacts>> stamps_;  // nothing: the folder does not vouch
};

}  // namespace kestrilo
