#include "win32/dpi.h"

namespace kestrilo::win32 {

namespace {

// Found at run time: Windows 10 before version 1607 has neither.
template <typename Function>
Function User32Function(const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

}  // namespace

int DpiOf(HWND window) {
  static const auto getDpiForWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
  if (getDpiForWindow != nullptr && window != nullptr) {
    const UINT dpi = getDpiForWindow(window);
    if (dpi != 0) return static_cast<int>(dpi);
  }
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kBaseDpi;
}

RECT ScaledPlace(int left, int top, int width, int height, int dpi) {
  const int x = Scaled(left, dpi);
  const int y = Scaled(top, dpi);
  return {x, y, x + Scaled(width, dpi), y + Scaled(height, dpi)};
}

SIZE OuterSize(SIZE client, DWORD style, DWORD exStyle, bool menu, int dpi) {
  static const auto adjustForDpi = User32Function<AdjustWindowRectExForDpiFunction>("AdjustWindowRectExForDpi");
  RECT rect{0, 0, client.cx, client.cy};
  if (adjustForDpi != nullptr) {
    adjustForDpi(&rect, style, menu, exStyle, static_cast<UINT>(dpi));
  } else {
    AdjustWindowRectEx(&rect, style, menu, exStyle);
  }
  return {rect.right - rect.left, rect.bottom - rect.top};
}

LOGFONTW ScaledFont(LOGFONTW font, int dpi, int from) {
  font.lfHeight = MulDiv(font.lfHeight, dpi, from);
  font.lfWidth = MulDiv(font.lfWidth, dpi, from);
  return font;
}

}  // namespace kestrilo::win32
