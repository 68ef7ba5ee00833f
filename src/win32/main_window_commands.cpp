// The commands of the main window that add to the collected files, change the
// window, copy a path and save the report.

#include "check/save_report_command.h"
#include "win32/command_ids.h"
#include "win32/main_window.h"

namespace kestrilo::win32 {

namespace {

constexpr char kChooseFolderPrompt[] = "フォルダを選択して下さい。";
constexpr char kClearQuestion[] = "ファイル情報を初期化してもよろしいですか";
constexpr char kClearCaption[] = "初期化確認";
constexpr char kCleared[] = "情報を初期化しました";

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
  const ResultSet& results = session_.Results();
  const int row = grid_.Row();
  if (results.NameOf(row).empty()) return;
  dialogs_.SetClipboardText(results.PathOf(row));
}

void TForm1::SaveAs1Click() { SaveReportAs(session_.Results(), status_, dialogs_, fileSystem_, saveFileName_); }

}  // namespace kestrilo::win32
