#include "win32/win32_status_panels.h"

#include <commctrl.h>

#include "win32/wide.h"

namespace kestrilo::win32 {

void Win32StatusPanels::Attach(HWND statusBar) {
  statusBar_ = statusBar;
  TakeWindowThread();
}

void Win32StatusPanels::Show(int panel, const std::string& text) {
  if (statusBar_ == nullptr) return;
  const std::wstring wide = Wide(text);
  SendMessageW(statusBar_, SB_SETTEXTW, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(wide.c_str()));
  // A panel cuts a long text at its edge; its tooltip shows all of it.
  SendMessageW(statusBar_, SB_SETTIPTEXTW, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(wide.c_str()));
}

}  // namespace kestrilo::win32
