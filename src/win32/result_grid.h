#pragma once
// The result grid StringGrid1: a window that paints the rows of the result
// cells it is given, only those in view, so that a million rows scroll as fast as
// ten. Row 0 is the fixed header row, always at the top; whole rows are
// selected; columns can be widened by dragging a header line. A text too long
// for its cell ends in "…" and shows whole in a tooltip. Screen readers and
// magnifiers read it through its accessible object (grid_accessible).
//
// Sizes are 96-DPI figures scaled by the grid's DPI (SetDpi).

#include <windows.h>

#include <cstdint>
#include <functional>

#include "check/result_cells.h"

namespace kestrilo::win32 {

class GridAccessible;

class ResultGrid {
 public:
  // Every row is this high at 96 DPI, whatever the font.
  static constexpr int kRowHeight = 16;

  explicit ResultGrid(ResultCells& cells) : cells_(cells) {}
  ~ResultGrid();
  ResultGrid(const ResultGrid&) = delete;
  ResultGrid& operator=(const ResultGrid&) = delete;

  void Create(HWND parent, int id);
  HWND Handle() const { return hwnd_; }
  // The tooltip that shows a cut text whole.
  HWND ToolTip() const { return toolTip_; }

  // A click on a row (StringGrid1Click) and a request for the pop-up menu at a
  // screen point.
  std::function<void()> onClick;
  std::function<void(POINT)> onContextMenu;

  // Widths in pixels at the grid's DPI.
  int ColumnWidth(int column) const { return widths_[column]; }
  void SetColumnWidth(int column, int width);
  // The display scale changed: rows and columns grow or shrink with it, a
  // width the user gave a column included.
  void SetDpi(int dpi);
  int Dpi() const { return dpi_; }
  int RowHeight() const;
  // The font of the cells and the colour of ordinary text; the rows keep their
  // height whatever the font.
  void SetGridFont(HFONT font, COLORREF colour);

  // Shows the cell store's current state if it changed since the last look.
  void Refresh();
  // After the store was reset: back to the top, the current row alone selected.
  void Reset();

  // First and last grid row of the selected range; the trailing row, which
  // holds no file, is never selected.
  int SelectionFirst() const;
  int SelectionLast() const;
  bool IsSelected(int row) const;

  // What the accessible object reads; places are in client coordinates, also
  // for rows scrolled out of view.
  const ResultCells& Cells() const { return cells_; }
  RECT CellPlace(int column, int row) const;
  RECT RowPlace(int row) const;
  bool InView(int row) const;
  bool HasFocus() const { return GetFocus() == hwnd_; }
  // The grid row and column at a client point; -1 outside them.
  int RowAt(int y) const;
  int ColumnAt(int x) const;
  // Makes `row` the current row, `extend` keeping the selection's other end.
  void MoveCurrent(int row, bool extend);

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnKeyDown(WPARAM key);
  LRESULT OnScroll(int bar, int request);

  void Paint(HDC dc, const RECT& client);
  void PaintCell(HDC dc, int column, int row, const std::string& text, RECT cell);
  void UpdateScrollBars();
  int VisibleRows() const;
  int TotalWidth() const;
  void ScrollTo(int top, int left);
  // The left edge of the column after (`step` 1) or before (-1) the one the
  // view starts in.
  int ColumnEdgeFrom(int left, int step) const;
  // The column whose right edge lies within a few pixels of x in the header, or -1.
  int ColumnEdgeAt(int x, int y) const;
  // Whether a cell's text is wider than the cell leaves room for.
  bool IsCut(int column, int row) const;
  void ShowToolTipFor(POINT at);
  // Tells screen readers of the current row when it has moved.
  void AnnounceCurrent();

  ResultCells& cells_;
  HWND hwnd_ = nullptr;
  HWND toolTip_ = nullptr;
  GridAccessible* accessible_ = nullptr;
  int dpi_ = 96;
  int widths_[kGridColumns] = {30, 110, 70, 330};
  HFONT font_ = nullptr;
  COLORREF fontColour_ = GetSysColor(COLOR_WINDOWTEXT);
  int top_ = 1;
  int left_ = 0;
  int anchor_ = 1;
  int lastCurrent_ = 1;
  std::uint64_t shownVersion_ = ~std::uint64_t{0};
  int resizing_ = -1;
  int resizeStartX_ = 0;
  int resizeStartWidth_ = 0;
  // The cell whose text the tooltip holds.
  int tipColumn_ = -1;
  int tipRow_ = -1;
};

}  // namespace kestrilo::win32
