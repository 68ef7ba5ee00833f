#include "delete/partner_scan.h"

namespace kestrilo {

std::optional<int> NumberedRowAbove(const ResultSet& results, int row) {
  for (int i = row - 1; i >= 1; --i) {
    if (results.GroupOf(i) != 0) return i;
  }
  return std::nullopt;
}

std::optional<int> NumberedRowBelow(const ResultSet& results, int row) {
  const int count = results.Count();
  for (int i = row + 1; i <= count; ++i) {
    if (results.GroupOf(i) != 0) return i;
  }
  return std::nullopt;
}

std::vector<int> PartnersOf(const ResultSet& results, int row) {
  std::vector<int> partners;
  const int group = results.GroupOf(row);
  if (group == 0) return partners;
  for (const auto neighbour : {NumberedRowAbove(results, row), NumberedRowBelow(results, row)}) {
    if (neighbour && results.GroupOf(*neighbour) == group) partners.push_back(*neighbour);
  }
  return partners;
}

}  // namespace kestrilo
