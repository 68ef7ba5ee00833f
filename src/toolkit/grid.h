#pragma once
// The result grid as the engine, run control and deletion see it: four text
// columns (0 group number, 1 file name, 2 size, 3 folder), header row 0, data
// rows 1 .. RowCount-2 and an always-empty trailing row RowCount-1.

#include <array>
#include <string>

namespace kestrilo {

inline constexpr int kGridColumns = 4;
using GridRow = std::array<std::string, kGridColumns>;

class Grid {
 public:
  virtual ~Grid() = default;

  // Text of a cell; "" for a cell outside the grid.
  virtual std::string Cell(int column, int row) const = 0;
  virtual void SetCell(int column, int row, std::string text) = 0;

  virtual int RowCount() const = 0;
  // Raising the count appends empty rows at the bottom; lowering it drops rows.
  virtual void SetRowCount(int count) = 0;

  // The current row.
  virtual int Row() const = 0;
  virtual void SetRow(int row) = 0;

  // All four cells of one row at once.
  virtual GridRow Rows(int row) const = 0;
  virtual void SetRows(int row, GridRow cells) = 0;
};

}  // namespace kestrilo
