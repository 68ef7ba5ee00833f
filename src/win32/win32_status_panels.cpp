#include "win32/win32_status_panels.h"

#include <commctrl.h>

#include <utility>

#include "win32/wide.h"

namespace kestrilo::win32 {

void Win32StatusPanels::Attach(HWND statusBar) {
  statusBar_ = statusBar;
  windowThread_ = GetCurrentThreadId();
}

void Win32StatusPanels::SetPanelText(int panel, std::string text) {
  if (panel != 0 && panel != 1) return;
  if (GetCurrentThreadId() != windowThread_) {
    std::lock_guard lock(mutex_);
    pending_[panel] = std::move(text);
    return;
  }
  // A worker's text still waiting for this panel is older than this one; the
  // other panel's is shown first so that both panels are current.
  std::optional<std::string> other;
  {
    std::lock_guard lock(mutex_);
    pending_[panel].reset();
    other.swap(pending_[1 - panel]);
  }
  if (other) Show(1 - panel, *other);
  Show(panel, text);
}

void Win32StatusPanels::Flush() {
  std::optional<std::string> latest[2];
  {
    std::lock_guard lock(mutex_);
    latest[0].swap(pending_[0]);
    latest[1].swap(pending_[1]);
  }
  for (int panel = 0; panel < 2; ++panel) {
    if (latest[panel]) Show(panel, *latest[panel]);
  }
}

void Win32StatusPanels::Show(int panel, const std::string& text) {
  if (statusBar_ == nullptr) return;
  const std::wstring wide = Wide(text);
  SendMessageW(statusBar_, SB_SETTEXTW, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(wide.c_str()));
}

}  // namespace kestrilo::win32
