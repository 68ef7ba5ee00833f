#include "run/run_control.h"

#include <chrono>
#include <exception>
#include <thread>

#include "run/job_failure.h"
#include "run/run_texts.h"

namespace kestrilo {

namespace {

using texts::kChecking;
using texts::kSearching;
using texts::kStart;
using texts::kStop;
using texts::kStoppedAfter;
using texts::kStoppedBefore;

// The worker keeps the run mode set this long after the job body returned.
constexpr std::chrono::milliseconds kAfterJobPause{50};
// How often the waiting window thread looks at the run mode.
constexpr std::chrono::milliseconds kWaitPoll{5};

// The controls of the running state, in the order they are switched.
constexpr WindowControl kMenus[] = {WindowControl::File1, WindowControl::Show1, WindowControl::Help1,
                                    WindowControl::FileAdd, WindowControl::FilterText};
constexpr WindowControl kAfterCaption[] = {WindowControl::QuickCheck, WindowControl::InitInfo,
                                           WindowControl::StringGrid1, WindowControl::SortFlag};

}  // namespace

RunControl::RunControl(JobBodies& jobs, CheckSession& session, StatusPanels& status, const JobSettings& settings,
                       WindowState& window, EventPump& pump)
    : jobs_(jobs),
      session_(session),
      status_(status),
      settings_(settings),
      stop_(session.Stop()),
      window_(window),
      pump_(pump) {}

RunControl::~RunControl() {
  if (worker_) {
    stop_.Set();
    worker_.reset();
  }
}

void RunControl::ThreadStart(const std::string& path) {
  walkPath_ = path;
  StartWorker(kWalk);
}

void RunControl::ThreadStartCheck() { StartWorker(kDuplicateCheck); }

void RunControl::StartWorker(int mode) {
  worker_.reset();
  jobFailure_.clear();
  runMode_.store(mode, std::memory_order_release);
  try {
    worker_ = std::make_unique<FileIo>([this] { ThreadFileIoExecute(); });
  } catch (...) {
    // No thread (low memory): the job fails as if it had thrown, and the
    // window stays usable.
    jobFailure_ = CurrentJobFailureText();
    runMode_.store(kIdle, std::memory_order_release);
  }
}

void RunControl::ThreadFileIoExecute() {
  jobFailure_.clear();
  try {
    const int mode = runMode_.load(std::memory_order_acquire);
    if (mode == kWalk) {
      jobs_.GetFiles(walkPath_);
    } else if (mode == kDuplicateCheck) {
      jobs_.RunDuplicateCheck();
    }
  } catch (...) {
    jobFailure_ = CurrentJobFailureText();
  }
  std::this_thread::sleep_for(kAfterJobPause);
  runMode_.store(kIdle, std::memory_order_release);
}

void RunControl::ThreadEndWait() {
  const int jobKind = runMode_.load(std::memory_order_acquire);
  while (runMode_.load(std::memory_order_acquire) != kIdle) pump_.ProcessMessagesFor(kWaitPoll);
  // The worker's last action was the reset, so this join returns at once.
  worker_.reset();

  if (jobKind == kWalk) {
    const std::string count = std::to_string(session_.Table().GetFileCount());
    if (stop_.IsSet()) {
      status_.SetPanelText(1, kStoppedBefore + count + kStoppedAfter);
    } else {
      status_.SetPanelText(0, count);
      status_.SetPanelText(1, "");
    }
  }
  // A job that ended by an exception says so instead of leaving its last
  // progress text standing as if it had finished.
  if (!jobFailure_.empty()) status_.SetPanelText(1, jobFailure_);
}

void RunControl::ThreadStopStatusInit() { stop_.Clear(); }

void RunControl::ThreadFileIoStopRequest() { stop_.Set(); }

void RunControl::StatusExecute() {
  runningState_ = true;
  for (WindowControl control : kMenus) window_.SetControlEnabled(control, false);
  window_.SetCheckStartCaption(kStop);
  for (WindowControl control : kAfterCaption) window_.SetControlEnabled(control, false);
}

void RunControl::StatusStop() {
  for (WindowControl control : kMenus) window_.SetControlEnabled(control, true);
  window_.SetCheckStartCaption(kStart);
  for (WindowControl control : kAfterCaption) window_.SetControlEnabled(control, true);
  runningState_ = false;
}

void RunControl::CheckStartFunc() {
  status_.SetPanelText(
      0, std::to_string(session_.Results().Count()) + "/" + std::to_string(session_.Table().GetFileCount()));
  status_.SetPanelText(1, kChecking);
  StatusExecute();
  ThreadStopStatusInit();
  ThreadStartCheck();
  ThreadEndWait();
  StatusStop();
}

void RunControl::CheckStartClick() {
  if (window_.CheckStartCaption() == kStop) {
    ThreadFileIoStopRequest();
  } else {
    CheckStartFunc();
  }
}

void RunControl::AddPaths(const std::vector<std::string>& paths) {
  status_.SetPanelText(1, kSearching);
  StatusExecute();
  ThreadStopStatusInit();
  for (const std::string& path : paths) {
    if (closeRequested_) break;
    ThreadStart(path);
    ThreadEndWait();
  }
  StatusStop();
  if (settings_.QuickCheck() && !closeRequested_) CheckStartFunc();
}

bool RunControl::IsRunning() const { return runningState_ || RunModeNow() != kIdle; }

void RunControl::RequestClose() {
  closeRequested_ = true;
  ThreadFileIoStopRequest();
}

}  // namespace kestrilo
