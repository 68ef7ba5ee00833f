#pragma once
// The folder walk: registers a chosen file, or every matching file of a folder
// and of all its sub-folders, in the signature table. Folders are walked depth
// first, their entries in the order the system lists them; with a filtering
// wildcard a folder's matching files come before its sub-folders, and every
// sub-folder is descended into. The walk keeps its own stack of folders, so
// the call stack never grows with the depth of the tree. The folders it will
// enter next are listed ahead of it (check/folder_listings), which changes
// nothing of what it finds or says, nor of its order.
//
// One per walked path, on the worker thread: construct it, then Walk once. It
// refers to the table, folder stamps, panels, settings, stop request and file
// system it is given (it stamps every folder it lists); it owns its stack of
// folders and the registration with its readers (`readerThreads` of them,
// `mostReaderThreads` when the files come from the disk).

#include <cstddef>
#include <string>
#include <vector>

#include "check/folder_handles.h"
#include "check/folder_listings.h"
#include "check/folder_stamps.h"
#include "check/walk_registration.h"
#include "platform/file_system.h"
#include "store/signature_table.h"
#include "toolkit/job_settings.h"
#include "toolkit/status_panels.h"
#include "toolkit/stop_request.h"

namespace kestrilo {

class FolderWalk {
 public:
  FolderWalk(SignatureTable& table, FolderStamps& stamps, StatusPanels& status, const JobSettings& settings,
             const StopRequest& stop, FileSystem& fs, unsigned readerThreads, unsigned mostReaderThreads);

  // Walks `path` (a folder, or a single file) until its end or a stop request.
  void Walk(const std::string& path);

 private:
  // One folder on the stack.
  struct Level {
    std::string folder;  // ends with the separator
    std::vector<DirEntry> entries;
    std::size_t next = 0;
    // Whether its files may be opened by name through a handle on `folder`;
    // the handle is opened at the level's first file and let go before the
    // walk descends (the listing itself is closed already).
    bool byName = false;
    FolderHandle handle;
  };

  // Registers `path` when it names something other than a folder; false when
  // it is a folder (or nothing), to be walked as one.
  bool TookAsFile(const std::string& path);
  void WalkFolder(const std::string& folder);
  // Pushes `folder` with its entries in walk order.
  bool Enter(std::string folder);
  // Has the sub-folders of `level` listed ahead of the walk.
  void ListAhead(const Level& level);
  // The matching files of `level`'s folder (or of the wildcard's sub-folder),
  // then the sub-folders from `all`.
  bool FilterEntries(Level& level, std::vector<DirEntry> all);
  bool List(const std::string& folder, std::vector<DirEntry>& entries);
  // The entry's kind, asking the system only when the listing could not tell.
  EntryKind KindOf(const std::string& folder, const DirEntry& entry);

  FolderStamps& stamps_;
  const JobSettings& settings_;
  const StopRequest& stop_;
  FileSystem& fs_;
  std::string wildcard_;
  std::vector<Level> stack_;
  FolderHandles handles_;
  FolderListings listings_;
  WalkRegistration registration_;
};

}  // namespace kestrilo
