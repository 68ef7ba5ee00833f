#include "delete/partner_scan.h"

#include "delete/grid_row.h"

namespace kestrilo {

std::optional<int> NumberedRowAbove(const Grid& grid, int row) {
  for (int i = row - 1; i >= 1; --i) {
    if (!GroupOf(grid, i).empty()) return i;
  }
  return std::nullopt;
}

std::optional<int> NumberedRowBelow(const Grid& grid, int row) {
  for (int i = row + 1; i < grid.RowCount() - 1; ++i) {
    if (!GroupOf(grid, i).empty()) return i;
  }
  return std::nullopt;
}

std::vector<int> PartnersOf(const Grid& grid, int row) {
  std::vector<int> partners;
  const std::string group = GroupOf(grid, row);
  if (group.empty()) return partners;
  for (const auto neighbour : {NumberedRowAbove(grid, row), NumberedRowBelow(grid, row)}) {
    if (neighbour && GroupOf(grid, *neighbour) == group) partners.push_back(*neighbour);
  }
  return partners;
}

}  // namespace kestrilo
