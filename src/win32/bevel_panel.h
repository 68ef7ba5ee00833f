#pragma once
// A panel: a child window in the button-face colour with a bevel, which hands
// its children's commands and colour requests on to its parent window.

#include <windows.h>

namespace kestrilo::win32 {

// `edge` is a DrawEdge edge (BDR_RAISEDOUTER, ...); 0 draws none.
HWND CreateBevelPanel(HWND parent, int id, RECT place, UINT edge);

}  // namespace kestrilo::win32
