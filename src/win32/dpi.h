#pragma once
// Sizes at the window's display scale. Every size the window is built from is
// given in pixels at 96 DPI and multiplied by the DPI the window reports, also
// where the system did not take the program's claim to be per-monitor aware
// (Wine, for one, refuses the claim yet reports the display's DPI).

#include <windows.h>

namespace kestrilo::win32 {

inline constexpr int kBaseDpi = 96;

// The DPI of the display `window` is on; the system's where Windows is too old
// to tell per window.
int DpiOf(HWND window);

// `pixels` at 96 DPI, at `dpi`.
inline int Scaled(int pixels, int dpi) { return MulDiv(pixels, dpi, kBaseDpi); }

// A place given as left, top, width and height at 96 DPI, as a rectangle
// (right and bottom) at `dpi`.
RECT ScaledPlace(int left, int top, int width, int height, int dpi);

// The outer size of a window of `style` whose client area is `client`, at `dpi`.
SIZE OuterSize(SIZE client, DWORD style, DWORD exStyle, bool menu, int dpi);

// A font whose height and width are given at DPI `from`, at `dpi`.
LOGFONTW ScaledFont(LOGFONTW font, int dpi, int from = kBaseDpi);

}  // namespace kestrilo::win32
