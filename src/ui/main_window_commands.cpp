// The commands of the main window that add to the collected files, change the
// window, copy a path and save the report.

#include <QHeaderView>

#include "check/save_report_command.h"
#include "ui/main_window.h"

namespace kestrilo {

namespace {

constexpr char kChooseFolderPrompt[] = "フォルダを選択して下さい。";
constexpr char kClearQuestion[] = "ファイル情報を初期化してもよろしいですか";
constexpr char kClearCaption[] = "初期化確認";
constexpr char kCleared[] = "情報を初期化しました";

}  // namespace

void TForm1::FileAddClick() {
  const auto folder = dialogs_.ChooseFolder(kChooseFolderPrompt);
  if (!folder) return;
  run_.AddPaths({*folder});
  FinishCommand();
}

void TForm1::A1Click() { FileAddClick(); }

void TForm1::F1Click() {
  const auto file = dialogs_.ChooseOpenFile();
  if (!file) return;
  run_.AddPaths({*file});
  FinishCommand();
}

void TForm1::WMDropFiles(const std::vector<std::string>& paths) {
  // A drop that waited while another command ran starts no second job.
  if (paths.empty() || run_.IsRunning()) return;
  run_.AddPaths(paths);
  FinishCommand();
}

void TForm1::InitInfoClick() {
  if (!dialogs_.AskOkCancel(kClearQuestion, kClearCaption)) return;
  FormCreate();
  status_.SetPanelText(0, "");
  status_.SetPanelText(1, kCleared);
}

void TForm1::Z1Click() { InitInfoClick(); }

void TForm1::bTopWindowClick() {
  // Qt re-creates a shown window whose flags change, so it is shown again in
  // both directions.
  if (windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
    setWindowFlag(Qt::WindowStaysOnTopHint, false);
    show();
    bTopWindow->setChecked(false);
  } else {
    hide();
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    show();
    bTopWindow->setChecked(true);
  }
  status_.SetPanelText(0, "");
  status_.SetPanelText(1, "");
}

void TForm1::Font1Click() {
  const auto chosen = chooseFont_(fontDialogFont_, this);
  if (!chosen) return;
  fontDialogFont_ = *chosen;
  StringGrid1->setFont(*chosen);
  StringGrid1->verticalHeader()->setDefaultSectionSize(kRowHeight);
}

void TForm1::C1Click() {
  const ResultSet& results = session_.Results();
  const int row = grid_.Row();
  if (results.NameOf(row).empty()) return;
  dialogs_.SetClipboardText(results.PathOf(row));
}

void TForm1::SaveAs1Click() { SaveReportAs(session_.Results(), status_, dialogs_, fileSystem_, saveFileName_); }

}  // namespace kestrilo
