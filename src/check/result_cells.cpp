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
  if (row == 0) return headers_[static_cast<std::size_t>(column)];
  if (!results_.Contains(row)) return {};
  // Painting asks for one cell at a time: only this column's text is made.
  switch (column) {
    case kGroupColumn: {
      const int group = results_.GroupOf(row);
      return group != 0 ? std::to_string(group) : std::string();
    }
    case kNameColumn:
      return results_.NameOf(row);
    case kSizeColumn:
      return std::to_string(results_.At(row).size);
    default:
      return results_.FolderOf(row);
  }
}

int ResultCells::Row() const { return rowGeneration_ == results_.Generation() ? currentRow_ : 1; }

void ResultCells::SetRow(int row) {
  currentRow_ = row;
  rowGeneration_ = results_.Generation();
}

}  // namespace kestrilo
