#pragma once
// What the main window's shared logic asks of a window beyond the running
// state: showing the grid and the latest texts, closing, the about box and the
// top-most style. Each toolkit's main window implements it; every call comes
// on the window's thread.

#include <array>

#include "toolkit/grid.h"
#include "toolkit/window_state.h"

namespace kestrilo {

// Widths of the grid's columns in pixels at 96 DPI; a window of another scale
// multiplies them by its own.
using ColumnWidths = std::array<int, kGridColumns>;

class WindowView : public WindowState {
 public:
  // The cell store was emptied: the grid shows its header and trailing row
  // again, scrolled to the top, with its columns at `widths` (the folder column
  // keeps the width the window has gained since it first opened).
  virtual void ResetGrid(const ColumnWidths& widths) = 0;
  // Shows the latest status texts and cells that the commands and the job
  // left, and keeps the grid's current row in view.
  virtual void ShowLatest() = 0;
  // Closes the window once the event at hand has been handled.
  virtual void CloseLater() = 0;
  // Disables the window and shows the about box without waiting for it.
  virtual void ShowAboutBox() = 0;
  // The window's top-most style and the check of its menu item, which agree.
  virtual bool TopMost() const = 0;
  // Switches both; turning it on hides the window and shows it again.
  virtual void SetTopMost(bool on) = 0;
};

}  // namespace kestrilo
