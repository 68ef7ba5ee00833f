#pragma once
// The result grid as text, the way a window shows it: four columns (0 group
// number, 1 file name, 2 size, 3 folder), header row 0, data rows
// 1 .. RowCount-2 and an always-empty trailing row RowCount-1; and the
// current row, which the window's selection moves.

#include <array>
#include <string>

namespace kestrilo {

inline constexpr int kGridColumns = 4;
inline constexpr int kGroupColumn = 0;
inline constexpr int kNameColumn = 1;
inline constexpr int kSizeColumn = 2;
inline constexpr int kFolderColumn = 3;

using GridRow = std::array<std::string, kGridColumns>;

class Grid {
 public:
  virtual ~Grid() = default;

  // Text of a cell; "" for a cell outside the grid.
  virtual std::string Cell(int column, int row) const = 0;
  // All four cells of one row at once.
  virtual GridRow Rows(int row) const = 0;
  virtual int RowCount() const = 0;

  // The current row.
  virtual int Row() const = 0;
  virtual void SetRow(int row) = 0;
};

}  // namespace kestrilo
