#include "delete/bulk_pass.h"

#include <optional>
#include <string>
#include <vector>

#include "delete/grid_row.h"
#include "delete/partner_scan.h"

namespace kestrilo {

int DelFiles(Grid& grid, VerifiedRemoval& removal, const FolderScope& inScope, const StopRequest& stop) {
  int count = 0;
  // The nearest row above that still carries a group number.
  std::optional<int> kept;
  for (int row = 1; row < grid.RowCount() - 1 && !stop.IsSet(); ++row) {
    const std::string group = GroupOf(grid, row);
    if (group.empty()) continue;
    if (inScope(grid.Cell(kFolderColumn, row))) {
      std::vector<int> partners;
      if (kept && GroupOf(grid, *kept) == group) partners.push_back(*kept);
      if (const auto below = NumberedRowBelow(grid, row); below && GroupOf(grid, *below) == group) {
        partners.push_back(*below);
      }
      if (!partners.empty() && removal.Remove(row, partners)) {
        ++count;
        continue;
      }
    }
    kept = row;
  }
  return count;
}

}  // namespace kestrilo
