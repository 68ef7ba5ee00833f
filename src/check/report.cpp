#include "check/report.h"

namespace kestrilo {

bool ForEachReportPiece(const ResultSet& results, const std::function<bool(const std::string&)>& sink) {
  constexpr std::size_t kPiece = 64 * 1024;
  std::string text;
  const int last = results.Count();
  for (int row = 1; row <= last; ++row) {
    const ResultRow fields = results.At(row);
    const int group = fields.ShownGroup();
    if (group == 0) continue;
    text.append(std::to_string(group)).append(", ").append(fields.name).append(", ");
    text.append(std::to_string(fields.size)).append(", ").append(fields.folder).push_back('\n');
    if (text.size() >= kPiece) {
      if (!sink(text)) return false;
      text.clear();
    }
  }
  return text.empty() || sink(text);
}

std::string ReportText(const ResultSet& results) {
  std::string whole;
  ForEachReportPiece(results, [&whole](const std::string& piece) {
    whole += piece;
    return true;
  });
  return whole;
}

}  // namespace kestrilo
