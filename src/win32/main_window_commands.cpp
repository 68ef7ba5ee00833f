// The commands of the main window that add to the collected files, change the
// window, copy a path and save the report.

#include "check/report.h"
#include "platform/path_text.h"
#include "win32/command_ids.h"
#include "win32/main_window.h"

namespace kestrilo::win32 {

namespace {

constexpr char kChooseFolderPrompt[] = "フォルダを選択して下さい。";
constexpr char kClearQuestion[] = "ファイル情報を初期化してもよろしいですか";
constexpr char kClearCaption[] = "初期化確認";
constexpr char kCleared[] = "情報を初期化しました";
constexpr char kFirstReportName[] = "Kestrilo.txt";
constexpr char kOverwriteQuestion[] = "上書きしてもよろしいですか";
constexpr char kOverwriteCaption[] = "上書き確認";
constexpr char kCannotOpen[] = "ファイルがオープンできませんでした";
constexpr char kCannotWrite[] = "ファイルが書き込めませんでした";

}  // namespace

void TForm1::FileAddClick() {
  const auto folder = dialogs_.ChooseFolder(kChooseFolderPrompt);
  if (!folder) return;
  AddPaths({*folder});
}

void TForm1::A1Click() { FileAddClick(); }

void TForm1::F1Click() {
  const auto file = dialogs_.ChooseOpenFile();
  if (!file) return;
  AddPaths({*file});
}

void TForm1::InitInfoClick() {
  if (!dialogs_.AskOkCancel(kClearQuestion, kClearCaption)) return;
  FormCreate();
  status_.SetPanelText(0, "");
  status_.SetPanelText(1, kCleared);
}

void TForm1::Z1Click() { InitInfoClick(); }

void TForm1::bTopWindowClick() {
  if ((GetMenuState(MainMenu1, kbTopWindowId, MF_BYCOMMAND) & MF_CHECKED) != 0) {
    SetWindowPos(hwnd_, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    CheckMenuItem(MainMenu1, kbTopWindowId, MF_BYCOMMAND | MF_UNCHECKED);
  } else {
    ShowWindow(hwnd_, SW_HIDE);
    SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ShowWindow(hwnd_, SW_SHOW);
    CheckMenuItem(MainMenu1, kbTopWindowId, MF_BYCOMMAND | MF_CHECKED);
  }
  status_.SetPanelText(0, "");
  status_.SetPanelText(1, "");
}

void TForm1::Font1Click() {
  const auto chosen = chooseFont_(fontDialogFont_, hwnd_);
  if (!chosen) return;
  fontDialogFont_ = *chosen;
  HFONT font = CreateFontIndirectW(&chosen->font);
  resultGrid_.SetGridFont(font, chosen->colour);
  DeleteObject(gridFont_);
  gridFont_ = font;
}

void TForm1::C1Click() {
  const int row = grid_.Row();
  const std::string name = grid_.Cell(1, row);
  if (name.empty()) return;
  dialogs_.SetClipboardText(JoinFolderAndName(grid_.Cell(3, row), name));
}

void TForm1::SaveAs1Click() {
  status_.SetPanelText(1, "");
  if (grid_.RowCount() <= 2) return;
  if (saveFileName_.empty()) saveFileName_ = kFirstReportName;
  const auto chosen = dialogs_.ChooseSaveFile(saveFileName_);
  if (!chosen) return;
  saveFileName_ = *chosen;
  if (fileSystem_.Exists(*chosen) && !dialogs_.AskOkCancel(kOverwriteQuestion, kOverwriteCaption)) return;
  switch (SaveReport(grid_, *chosen)) {
    case ReportResult::Saved:
      break;
    case ReportResult::CannotOpen:
      status_.SetPanelText(1, kCannotOpen);
      break;
    case ReportResult::CannotWrite:
      status_.SetPanelText(1, kCannotWrite);
      break;
  }
}

}  // namespace kestrilo::win32
