#pragma once
// The result grid StringGrid1: a window that paints the rows of the result
// cells it is given, only those in view, so that a million rows scroll as fast as
// ten. Row 0 is the fixed header row, always at the top; whole rows are
// selected; columns can be widened by dragging a header line.

#include <windows.h>

#include <cstdint>
#include <functional>

#include "check/result_cells.h"

namespace kestrilo::win32 {

class ResultGrid {
 public:
  static constexpr int kRowHeight = 16;

  explicit ResultGrid(ResultCells& cells) : cells_(cells) {}
  ResultGrid(const ResultGrid&) = delete;
  ResultGrid& operator=(const ResultGrid&) = delete;

  void Create(HWND parent, int id);
  HWND Handle() const { return hwnd_; }

  // A click on a row (StringGrid1Click) and a request for the pop-up menu at a
  // screen point.
  std::function<void()> onClick;
  std::function<void(POINT)> onContextMenu;

  int ColumnWidth(int column) const { return widths_[column]; }
  void SetColumnWidth(int column, int width);
  // The font of the cells and the colour of ordinary text; the rows stay 16
  // pixels high whatever the font.
  void SetGridFont(HFONT font, COLORREF colour);

  // Shows the cell store's current state if it changed since the last look.
  void Refresh();
  // After the store was reset: back to the top, the current row alone selected.
  void Reset();

  // First and last grid row of the selected range.
  int SelectionFirst() const;
  int SelectionLast() const;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

  void Paint(HDC dc, const RECT& client);
  void PaintCell(HDC dc, int column, int row, const std::string& text, RECT cell);
  void UpdateScrollBars();
  int VisibleRows() const;
  int TotalWidth() const;
  void ScrollTo(int top, int left);
  void MoveCurrent(int row, bool extend);
  int RowAt(int y) const;
  // The column whose right edge lies within a few pixels of x in the header, or -1.
  int ColumnEdgeAt(int x, int y) const;

  ResultCells& cells_;
  HWND hwnd_ = nullptr;
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
};

}  // namespace kestrilo::win32
