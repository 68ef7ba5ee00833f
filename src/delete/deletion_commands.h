#pragma once
// The deletion commands of the result grid: one file (the current row), every
// duplicate below the current row's folder, every duplicate on the current
// row's drive (its mounted file system). No group ever loses its last file:
// a file is removed only on the strength of a partner row of its group whose
// file still exists, is another file, and still has identical content.
//
// Runs on the window's thread while no job runs. Owns nothing it is given.

#include <optional>
#include <string>

#include "check/duplicate_engine.h"
#include "delete/verified_removal.h"
#include "platform/file_system.h"
#include "toolkit/dialogs.h"
#include "toolkit/grid.h"
#include "toolkit/status_panels.h"
#include "toolkit/stop_request.h"

namespace kestrilo {

class DeletionCommands {
 public:
  DeletionCommands(Grid& grid, StatusPanels& status, Dialogs& dialogs, FileSystem& fs, const DuplicateEngine& engine);

  // "１ファイル削除": the file of the current row, after the question.
  void Delete1Click();
  // "同一パス配下の重複ファイルを全て削除": below the current row's folder, after the question.
  void N4Click();
  // "同一ドライブの重複ファイルを全て削除": on the current row's file system, after the question.
  void A2Click();

  // The bulk pass without a question, for callers that asked already (the
  // command line). `folder` is a folder path; returns the number of files
  // removed, or nothing when the scope is refused (a network file system).
  // Panel 1 gets the count text (or the refusal) as with the menu commands.
  // Once `stop` is set, the pass removes nothing more and counts what it removed.
  std::optional<int> DeleteBelow(const std::string& folder, const StopRequest& stop);
  std::optional<int> DeleteOnDrive(const std::string& folder, const StopRequest& stop);

  // Told of every file the commands remove from now on.
  void SetRemovalObserver(RemovalObserver observer) { observer_ = std::move(observer); }

 private:
  Grid& grid_;
  StatusPanels& status_;
  Dialogs& dialogs_;
  FileSystem& fs_;
  const DuplicateEngine& engine_;
  RemovalObserver observer_;
};

}  // namespace kestrilo
