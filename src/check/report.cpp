#include "check/report.h"

namespace kestrilo {

bool ForEachReportPiece(const Grid& grid, const std::function<bool(const std::string&)>& sink) {
  constexpr std::size_t kPiece = 64 * 1024;
  std::string text;
  const int last = grid.RowCount() - 2;
  for (int row = 1; row <= last; ++row) {
    const GridRow cells = grid.Rows(row);
    if (cells[0].empty()) continue;
    text.append(cells[0]).append(", ").append(cells[1]).append(", ").append(cells[2]).append(", ");
    text.append(cells[3]).push_back('\n');
    if (text.size() >= kPiece) {
      if (!sink(text)) return false;
      text.clear();
    }
  }
  return text.empty() || sink(text);
}

std::string ReportText(const Grid& grid) {
  std::string whole;
  ForEachReportPiece(grid, [&whole](const std::string& piece) {
    whole += piece;
    return true;
  });
  return whole;
}

}  // namespace kestrilo
