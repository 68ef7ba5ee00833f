#pragma once
// The deletion commands of the result grid: one file (the current row), every
// duplicate below the current row's folder, every duplicate on the current
// row's drive (its mounted file system). No group ever loses its last file:
// a file is removed only on the strength of a partner row of its group whose
// file still exists, is another file, and still has identical content.
//
// Runs on the window's thread while no job runs. Owns nothing it is given.

#include "check/duplicate_engine.h"
#include "delete/duplicate_deletion.h"
#include "platform/file_system.h"
#include "toolkit/dialogs.h"
#include "toolkit/grid.h"
#include "toolkit/status_panels.h"

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

 private:
  Grid& grid_;
  StatusPanels& status_;
  Dialogs& dialogs_;
  FileSystem& fs_;
  const DuplicateEngine& engine_;
  DuplicateDeletion bulk_;
};

}  // namespace kestrilo
