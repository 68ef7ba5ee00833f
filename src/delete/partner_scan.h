#pragma once
// Where a row's partners stand: the nearest rows above and below it that show
// a group number. Rows with an empty group number (deleted rows, rows of no
// confirmed group) are passed over; the look stops at the first numbered row,
// whatever group it holds.

#include <optional>
#include <vector>

#include "check/result_set.h"

namespace kestrilo {

std::optional<int> NumberedRowAbove(const ResultSet& results, int row);
std::optional<int> NumberedRowBelow(const ResultSet& results, int row);

// The nearest numbered rows above and below `row` that are of its group, the
// one above first; empty when neither is, or when `row` has no group number.
std::vector<int> PartnersOf(const ResultSet& results, int row);

}  // namespace kestrilo
