#include "check/result_cells.h"

#include <utility>

namespace kestrilo {

GridRow CellsOf(const ResultRow& row) {
  const int group = row.ShownGroup();
  return GridRow{group != 0 ? std::to_string(group) : std::string(), row.deleted ? std::string() : row.name,
                 std::to_string(row.size), row.folder};
}

GridRow ResultCells::Rows(int row) const {
  if (row == 0) return headers_;
  if (!results_.Contains(row)) return {};
  return CellsOf(results_.At(row));
}

std::string ResultCells::Cell(int column, int row) const {
  if (column < 0 || column >= kGridColumns) return {};
  return Rows(row)[static_cast<std::size_t>(column)];
}

int ResultCells::Row() const { return rowGeneration_ == results_.Generation() ? currentRow_ : 1; }

void ResultCells::SetRow(int row) {
  currentRow_ = row;
  rowGeneration_ = results_.Generation();
}

}  // namespace kestrilo
