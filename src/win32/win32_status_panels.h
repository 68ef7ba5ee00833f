#pragma once
// The status bar's two panels as the jobs and commands write them. A text set
// on the window thread shows at once; a text set by the worker is kept as the
// panel's latest and shown by the next Flush, so that a walk reporting every
// file never waits for the window.

#include <windows.h>

#include <mutex>
#include <optional>
#include <string>

#include "toolkit/status_panels.h"

namespace kestrilo::win32 {

class Win32StatusPanels final : public StatusPanels {
 public:
  // `statusBar` stays the window's; it must outlive every later call. The
  // calling thread becomes the window thread.
  void Attach(HWND statusBar);

  // Any thread.
  void SetPanelText(int panel, std::string text) override;

  // Window thread: shows the latest text the worker set on each panel.
  void Flush();

 private:
  void Show(int panel, const std::string& text);

  std::mutex mutex_;
  std::optional<std::string> pending_[2];
  HWND statusBar_ = nullptr;
  DWORD windowThread_ = 0;
};

}  // namespace kestrilo::win32
