#include "check/candidate_grid.h"

#include <utility>

#include "platform/path_text.h"

namespace kestrilo {

void CandidateGrid::Clear() {
  grid_.SetRow(1);
  grid_.SetRowCount(2);
  grid_.SetRows(1, GridRow{});
}

void CandidateGrid::LayOut(std::vector<CandidateRow> rows) {
  const int count = static_cast<int>(rows.size());
  grid_.SetRowCount(count + 2);
  for (int i = 0; i < count; ++i) {
    CandidateRow& row = rows[static_cast<std::size_t>(i)];
    grid_.SetRows(i + 1, GridRow{std::string(), std::move(row.name), std::move(row.sizeText), std::move(row.folder)});
  }
  grid_.SetRows(count + 1, GridRow{});
}

CandidateFile CandidateGrid::Read(int row) const {
  const GridRow cells = grid_.Rows(row);
  return {JoinFolderAndName(cells[3], cells[1]), cells[2]};
}

void CandidateGrid::SetGroupNumber(int row, const std::string& number) { grid_.SetCell(0, row, number); }

}  // namespace kestrilo
