#pragma once
// The bulk deletions without any question, for callers that asked already (the
// menu commands, the command line): every duplicate below a folder, or on a
// folder's file system. No group ever loses its last file (DelFiles).
//
// Runs while no job runs. Owns nothing it is given.

#include <optional>
#include <string>
#include <utility>

#include "check/duplicate_engine.h"
#include "delete/deletion_scope.h"
#include "delete/verified_removal.h"
#include "platform/file_system.h"
#include "toolkit/grid.h"
#include "toolkit/status_panels.h"
#include "toolkit/stop_request.h"

namespace kestrilo {

class DuplicateDeletion {
 public:
  DuplicateDeletion(Grid& grid, StatusPanels& status, FileSystem& fs, const DuplicateEngine& engine);

  // `folder` is a folder path; returns the number of files removed, or nothing
  // when the scope is refused (a network file system). Panel 1 gets the count
  // text or the refusal. Once `stop` is set, the pass removes nothing more and
  // counts what it removed.
  std::optional<int> DeleteBelow(const std::string& folder, const StopRequest& stop);
  std::optional<int> DeleteOnDrive(const std::string& folder, const StopRequest& stop);

  // Told of every file the passes remove from now on.
  void SetRemovalObserver(RemovalObserver observer) { observer_ = std::move(observer); }

 private:
  int RunPass(const FolderScope& inScope, const StopRequest& stop);

  Grid& grid_;
  StatusPanels& status_;
  FileSystem& fs_;
  const DuplicateEngine& engine_;
  RemovalObserver observer_;
};

}  // namespace kestrilo
