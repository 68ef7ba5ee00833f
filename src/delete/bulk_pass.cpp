#include "delete/bulk_pass.h"

#include <optional>
#include <vector>

#include "delete/partner_scan.h"

namespace kestrilo {

int DelFiles(const ResultSet& results, VerifiedRemoval& removal, const FolderScope& inScope, const StopRequest& stop) {
  int count = 0;
  // The nearest row above that still shows a group number.
  std::optional<int> kept;
  const int rows = results.Count();
  for (int row = 1; row <= rows && !stop.IsSet(); ++row) {
    const int group = results.GroupOf(row);
    if (group == 0) continue;
    if (inScope(results.FolderOf(row))) {
      std::vector<int> partners;
      if (kept && results.GroupOf(*kept) == group) partners.push_back(*kept);
      if (const auto below = NumberedRowBelow(results, row); below && results.GroupOf(*below) == group) {
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
