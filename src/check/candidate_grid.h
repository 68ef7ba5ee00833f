#pragma once
// The duplicate check's only access to the result grid: the extraction lays
// the candidate rows out, the verification pass reads each data row's file and
// size and writes its group number. Data rows are 1 .. RowCount()-2; the last
// row always stays empty.
//
// Refers to the grid it is given (the window's, which may repaint from it at
// any time); keeps nothing of its own.

#include <string>
#include <vector>

#include "check/group_extraction.h"
#include "toolkit/grid.h"

namespace kestrilo {

// What the verification pass reads of one data row.
struct CandidateFile {
  std::string path;
  std::string sizeText;
};

class CandidateGrid {
 public:
  explicit CandidateGrid(Grid& grid) : grid_(grid) {}

  // No data rows: the header row and the empty last row only.
  void Clear();
  // `rows` as data rows 1 .. rows.size(), their group numbers empty.
  void LayOut(std::vector<CandidateRow> rows);

  int RowCount() const { return grid_.RowCount(); }
  CandidateFile Read(int row) const;
  void SetGroupNumber(int row, const std::string& number);

 private:
  Grid& grid_;
};

}  // namespace kestrilo
