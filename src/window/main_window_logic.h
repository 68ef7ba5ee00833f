#pragma once
// The main window's commands as both windows run them: adding and the quick
// check after it, the duplicate check and its stop, the clear question, the
// about box's effect on the panels, the top-most switch, copying a path,
// saving the report, the deletions and the Delete key, and what a window
// shows after each command. A window creates its controls, paints them and
// turns its toolkit's events into these calls; this class decides what they do.
//
// Owns the check session, the grid's cells, run control and the deletion
// commands; owns nothing it is given, and everything it is given must outlive
// it. Every method runs on the window's thread.

#include <chrono>
#include <string>
#include <vector>

#include "check/check_session.h"
#include "check/result_cells.h"
#include "delete/deletion_commands.h"
#include "platform/file_system.h"
#include "run/job_bodies.h"
#include "run/run_control.h"
#include "toolkit/dialogs.h"
#include "toolkit/event_pump.h"
#include "toolkit/job_settings.h"
#include "toolkit/status_panels.h"
#include "toolkit/window_view.h"

namespace kestrilo {

// The grid's columns as a fresh window and the clear command lay them out.
inline constexpr ColumnWidths kFirstColumnWidths = {30, 110, 70, 330};

class MainWindowLogic {
 public:
  MainWindowLogic(WindowView& view, StatusPanels& status, EventPump& pump, Dialogs& dialogs, FileSystem& fs);

  // The empty grid with its headers and first widths, and an empty table.
  void FormCreate();
  // Starts a duplicate check, or asks the running job to stop.
  void CheckStartClick();
  // Adds the folder chosen in the folder chooser.
  void FileAddClick();
  // Adds the file chosen in the file-open dialog.
  void F1Click();
  // Adds dropped items in the order given; nothing while a command runs.
  void WMDropFiles(const std::vector<std::string>& paths);
  // Empties the table and the grid after the question.
  void InitInfoClick();
  void bTopWindowClick();
  // Puts the current row's full path on the clipboard.
  void C1Click();
  void SaveAs1Click();
  void About1Click();
  void StringGrid1Click();
  void Delete1Click();
  void N4Click();
  void A2Click();
  // The window's key preview: the Delete key deletes the current row's file.
  void FormKeyDown(bool deleteKey);

  // Whether the window may close now. While a command runs it may not: the
  // running job is asked to stop, and the window is closed once it has ended.
  bool MayClose();
  // While a command waits for its job: shows what the job wrote, a few dozen
  // times a second at most.
  void ShowJobProgress();
  // A command runs: no other may start, and drops are refused.
  bool IsRunning() const { return run_.IsRunning(); }

  // The job settings, which the window's controls keep up to date.
  MemoryJobSettings& Settings() { return settings_; }
  CheckSession& Session() { return session_; }
  const CheckSession& Session() const { return session_; }
  const ResultCells& Cells() const { return cells_; }
  ResultCells& Cells() { return cells_; }
  const RunControl& Run() const { return run_; }
  DeletionCommands& Deletion() { return deletion_; }

 private:
  void AddPaths(const std::vector<std::string>& paths);
  // After a command: the window shows its final texts and cells, and closes
  // if that was asked while the command ran.
  void FinishCommand();

  WindowView& view_;
  StatusPanels& status_;
  Dialogs& dialogs_;
  FileSystem& fs_;

  MemoryJobSettings settings_;
  CheckSession session_;
  ResultCells cells_;
  SessionJobBodies jobs_;
  RunControl run_;
  DeletionCommands deletion_;

  std::chrono::steady_clock::time_point lastShown_;
  // What the save dialog offers next.
  std::string saveFileName_;
};

}  // namespace kestrilo
