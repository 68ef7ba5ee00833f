#pragma once
// The status bar's two panels as the jobs and commands write them, for a
// window whose widgets only its own thread may touch. A text set on the window
// thread shows at once; a text set by the worker is kept as the panel's latest
// and shown by the next Flush, so a walk that reports every file costs one
// short lock per text, whatever the repaint rate.

#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "toolkit/status_panels.h"

namespace kestrilo {

class CoalescedStatusPanels : public StatusPanels {
 public:
  // Any thread.
  void SetPanelText(int panel, std::string text) final;

  // Window thread: shows the latest text the worker set on each panel.
  void Flush();

 protected:
  // The calling thread becomes the window thread; until then every text waits
  // for a Flush.
  void TakeWindowThread() { windowThread_ = std::this_thread::get_id(); }

  // Window thread: puts `text` into panel 0 or 1.
  virtual void Show(int panel, const std::string& text) = 0;

 private:
  std::mutex mutex_;
  std::optional<std::string> pending_[2];
  std::thread::id windowThread_;
};

}  // namespace kestrilo
