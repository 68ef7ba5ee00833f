#include "check/save_report_command.h"

#include "check/report.h"

namespace kestrilo {

namespace {

constexpr char kFirstReportName[] = "Kestrilo.txt";
constexpr char kOverwriteQuestion[] = "上書きしてもよろしいですか";
constexpr char kOverwriteCaption[] = "上書き確認";
constexpr char kCannotOpen[] = "ファイルがオープンできませんでした";
constexpr char kCannotWrite[] = "ファイルが書き込めませんでした";

}  // namespace

void SaveReportAs(const ResultSet& results, StatusPanels& status, Dialogs& dialogs, FileSystem& fs,
                  std::string& saveFileName) {
  status.SetPanelText(1, "");
  if (results.Count() == 0) return;
  if (saveFileName.empty()) saveFileName = kFirstReportName;
  const auto chosen = dialogs.ChooseSaveFile(saveFileName);
  if (!chosen) return;
  saveFileName = *chosen;
  if (fs.Exists(*chosen) && !dialogs.AskOkCancel(kOverwriteQuestion, kOverwriteCaption)) return;
  switch (SaveReport(results, *chosen)) {
    case ReportResult::Saved:
      break;
    case ReportResult::CannotOpen:
      status.SetPanelText(1, kCannotOpen);
      break;
    case ReportResult::CannotWrite:
      status.SetPanelText(1, kCannotWrite);
      break;
  }
}

}  // namespace kestrilo
