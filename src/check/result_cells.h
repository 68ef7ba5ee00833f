#pragma once
// The result set as the text grid that the windows paint: every cell is made
// from the typed row when it is read, so the grid holds no text of its own
// but the column headers. A new set of rows makes row 1 the current row.
//
// Thread-safe as the result set is; the current row and the headers belong
// to the window's thread.

#include <cstdint>

#include "check/result_set.h"
#include "toolkit/grid.h"

namespace kestrilo {

class ResultCells final : public Grid {
 public:
  explicit ResultCells(const ResultSet& results) : results_(results) {}

  void SetHeaders(GridRow headers) { headers_ = std::move(headers); }

  std::string Cell(int column, int row) const override;
  GridRow Rows(int row) const override;
  int RowCount() const override { return results_.Count() + 2; }
  int Row() const override;
  void SetRow(int row) override;

  // Changes whenever a cell's text may have changed.
  std::uint64_t Version() const { return results_.Version(); }

  const ResultSet& Results() const { return results_; }

 private:
  const ResultSet& results_;
  GridRow headers_;
  int currentRow_ = 1;
  // The set of rows that the current row was chosen in.
  std::uint64_t rowGeneration_ = 0;
};

// The four cells of a data row.
GridRow CellsOf(const ResultRow& row);

}  // namespace kestrilo
