#pragma once
// Runs the folder walk and the duplicate check on a worker thread, one job at
// a time, while the window thread waits with its events still flowing. It owns
// the run mode and the walk path, switches the window between its idle and
// running states, and writes the status texts that open a duplicate check and
// close a walk.
//
// Every method but ThreadFileIoExecute runs on the window thread. The window
// thread and the worker share only the run mode and the session's stop
// request (both atomic), the walk path (written before the worker starts) and
// what the job bodies share through the session's thread-safe result set and
// the status panels.

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "check/check_session.h"
#include "run/file_io.h"
#include "run/job_bodies.h"
#include "toolkit/event_pump.h"
#include "toolkit/job_settings.h"
#include "toolkit/status_panels.h"
#include "toolkit/stop_request.h"
#include "toolkit/window_state.h"

namespace kestrilo {

enum RunMode : int { kIdle = 0, kWalk = 1, kDuplicateCheck = 2 };

class RunControl {
 public:
  // The jobs run on `session`'s table and results (a test may hook them).
  RunControl(JobBodies& jobs, CheckSession& session, StatusPanels& status, const JobSettings& settings,
             WindowState& window, EventPump& pump);
  // Asks a job that still runs to stop and waits for it.
  ~RunControl();
  RunControl(const RunControl&) = delete;
  RunControl& operator=(const RunControl&) = delete;

  void ThreadStart(const std::string& path);
  void ThreadStartCheck();
  // The worker thread's whole work: the job the run mode names, a short pause,
  // then the run mode back to idle, also when the job ended by an exception.
  void ThreadFileIoExecute();
  void ThreadEndWait();
  void ThreadStopStatusInit();
  void ThreadFileIoStopRequest();
  void StatusExecute();
  void StatusStop();
  void CheckStartFunc();
  void CheckStartClick();

  // Walks each path in turn inside one running state, then runs a duplicate
  // check when the quick-check box is set: the adding commands' protocol.
  void AddPaths(const std::vector<std::string>& paths);

  // True from the start of a command's running state to its end, and while a
  // worker runs: no other job, drop or deletion may start then.
  bool IsRunning() const;

  // The window is closing while a command runs: stops the running job, and
  // the command starts nothing more. The window closes once IsRunning() is false.
  void RequestClose();
  bool CloseRequested() const { return closeRequested_; }

  int RunModeNow() const { return runMode_.load(std::memory_order_acquire); }

 private:
  // Starts the worker on the job of run mode `mode`.
  void StartWorker(int mode);

  JobBodies& jobs_;
  CheckSession& session_;
  StatusPanels& status_;
  const JobSettings& settings_;
  StopRequest& stop_;
  WindowState& window_;
  EventPump& pump_;

  std::atomic<int> runMode_{kIdle};
  std::string walkPath_;
  // What the last job threw, if it threw; written by the worker before it
  // resets the run mode, read by the window thread after it saw the reset.
  std::string jobFailure_;
  std::unique_ptr<FileIo> worker_;
  bool runningState_ = false;
  bool closeRequested_ = false;
};

}  // namespace kestrilo
