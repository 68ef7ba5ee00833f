#pragma once
// Run control over a real check session on a temporary tree, with a window that
// records what is done to it and an event pump that lets a test act "from the
// window" while a job runs.

#include <chrono>
#include <exception>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "check/check_session.h"
#include "check/result_cells.h"
#include "gated_file_system.h"
#include "platform/file_system.h"
#include "run/job_bodies.h"
#include "run/run_control.h"
#include "support/memory_status_panels.h"
#include "support/temp_tree.h"
#include "toolkit/event_pump.h"
#include "toolkit/job_settings.h"
#include "toolkit/stop_request.h"
#include "toolkit/window_state.h"

namespace kestrilo::testing {

// The session's jobs, with optional faults and a gate after the walk's body.
class HookedJobBodies final : public JobBodies {
 public:
  explicit HookedJobBodies(CheckSession& session) : session_(session) {}

  // Thrown instead of doing the job, when set.
  std::exception_ptr walkFault;
  std::exception_ptr checkFault;
  Gate* afterWalk = nullptr;

  void GetFiles(const std::string& path) override {
    if (walkFault) std::rethrow_exception(walkFault);
    session_.GetFiles(path);
    if (afterWalk != nullptr) afterWalk->ArriveAndWait();
  }
  CheckOutcome RunDuplicateCheck() override {
    if (checkFault) std::rethrow_exception(checkFault);
    return session_.RunDuplicateCheck();
  }

 private:
  CheckSession& session_;
};

// Records every change as "-Control", "+Control" or "caption:TEXT".
class RecordingWindow final : public WindowState {
 public:
  std::vector<std::string> changes;
  std::string caption = "調査開始";

  void SetControlEnabled(WindowControl control, bool enabled) override {
    static const char* const names[] = {"File1",      "Show1",    "Help1",       "FileAdd", "FilterText",
                                        "QuickCheck", "InitInfo", "StringGrid1", "SortFlag"};
    changes.push_back((enabled ? "+" : "-") + std::string(names[static_cast<int>(control)]));
  }
  void SetCheckStartCaption(const std::string& text) override {
    caption = text;
    changes.push_back("caption:" + text);
  }
  std::string CheckStartCaption() const override { return caption; }
};

// Sleeps instead of waiting for events; runs `onDispatch` at each call, as an
// event handler of the window would run inside the wait.
class ScriptedPump final : public EventPump {
 public:
  std::function<void()> onDispatch;
  int calls = 0;

  void ProcessMessagesFor(std::chrono::milliseconds wait) override {
    ++calls;
    if (onDispatch) onDispatch();
    std::this_thread::sleep_for(wait);
  }
};

struct RunFixture {
  TempTree tree;
  MemoryStatusPanels status;
  MemoryJobSettings settings;
  GatedFileSystem fs;
  CheckSession session{status, settings, fs};
  const SignatureTable& table = session.Table();
  const ResultCells grid{session.Results()};
  StopRequest& stop = session.Stop();
  HookedJobBodies jobs{session};
  RecordingWindow window;
  ScriptedPump pump;
  RunControl run{jobs, session, status, settings, window, pump};

  ~RunFixture() { fs.OpenAll(); }

  // Presses the start button (reading "中止") once the gate is reached, then
  // lets the worker go on.
  void StopAt(Gate& gate) {
    pump.onDispatch = [this, &gate, pressed = false]() mutable {
      if (pressed || !gate.Reached()) return;
      pressed = true;
      run.CheckStartClick();
      gate.Open();
    };
  }
};

}  // namespace kestrilo::testing
