#pragma once
// The about box: top-most and modeless, shown over a disabled main window,
// centred on it each time it opens; OK, Enter and its close box hide it and
// enable the main window again. Esc does nothing, there is no cancel button.
// Its sizes are 96-DPI figures scaled by the DPI of the display it is on.

#include <windows.h>

namespace kestrilo::win32 {

class TAboutBox {
 public:
  // The box is created hidden.
  explicit TAboutBox(HWND mainWindow);
  ~TAboutBox();
  TAboutBox(const TAboutBox&) = delete;
  TAboutBox& operator=(const TAboutBox&) = delete;

  HWND Handle() const { return hwnd_; }

  HWND Panel1 = nullptr;
  HWND ProgramIcon = nullptr;
  HWND ProductName = nullptr;
  HWND Version = nullptr;
  HWND Comments = nullptr;
  HWND Usage = nullptr;
  HWND OKButton = nullptr;

  void OKButtonClick();
  void FormShow();

  // Where a box of `box` outer size stands over a main window at `main`.
  static POINT CentredOver(const RECT& main, SIZE box);

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // Size, places, font and icon for `dpi`.
  void ApplyDpi(int dpi);

  HWND mainWindow_;
  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;
  HICON icon_ = nullptr;
};

}  // namespace kestrilo::win32
