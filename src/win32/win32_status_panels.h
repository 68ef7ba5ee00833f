#pragma once
// The status bar's two panels, shown in the window's status bar control.

#include <windows.h>

#include <string>

#include "toolkit/coalesced_status_panels.h"

namespace kestrilo::win32 {

class Win32StatusPanels final : public CoalescedStatusPanels {
 public:
  // `statusBar` stays the window's; it must outlive every later call. The
  // calling thread becomes the window thread.
  void Attach(HWND statusBar);

 private:
  void Show(int panel, const std::string& text) override;

  HWND statusBar_ = nullptr;
};

}  // namespace kestrilo::win32
