#pragma once
// Identifiers of the main window's controls and menu items. They start above
// IDOK and IDCANCEL, which the dialog manager sends for Enter and Esc.

namespace kestrilo::win32 {

enum CommandId : int {
  kFileAddId = 100,
  kFilterTextId,
  kCheckStartId,
  kQuickCheckId,
  kSortFlagId,
  kInitInfoId,
  kStringGrid1Id,
  kStatusBar1Id,
  kPanel1Id,
  // Main menu.
  kA1Id = 200,
  kF1Id,
  kSaveAs1Id,
  kZ1Id,
  kExit1Id,
  kbTopWindowId,
  kFont1Id,
  kAbout1Id,
  // Pop-up menu of the grid.
  kC1Id = 300,
  kDelete1Id,
  kN4Id,
  kA2Id,
};

}  // namespace kestrilo::win32
