#pragma once
// The window's font: "ＭＳ Ｐゴシック" at 12 pixels, Shift-JIS, or a Japanese
// face of the same metrics where it is not installed.

#include <windows.h>

namespace kestrilo::win32 {

LOGFONTW WindowLogFont();

}  // namespace kestrilo::win32
