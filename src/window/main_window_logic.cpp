#include "window/main_window_logic.h"

#include "check/save_report_command.h"

namespace kestrilo {

namespace {

constexpr char kChooseFolderPrompt[] = "フォルダを選択して下さい。";
constexpr char kClearQuestion[] = "ファイル情報を初期化してもよろしいですか";
constexpr char kClearCaption[] = "初期化確認";
constexpr char kCleared[] = "情報を初期化しました";

constexpr GridRow kHeaders = {"", "ファイル名", "サイズ", "パス"};
// Showing a job's progress more often than this only costs the job time.
constexpr std::chrono::milliseconds kShowInterval{30};

}  // namespace

MainWindowLogic::MainWindowLogic(WindowView& view, StatusPanels& status, EventPump& pump, Dialogs& dialogs,
                                 FileSystem& fs)
    : view_(view),
      status_(status),
      dialogs_(dialogs),
      fs_(fs),
      session_(status_, settings_, fs_),
      cells_(session_.Results()),
      jobs_(session_),
      run_(jobs_, session_, status_, settings_, view_, pump),
      deletion_(cells_, session_.Results(), status_, dialogs_, fs_),
      lastShown_(std::chrono::steady_clock::now()) {}

void MainWindowLogic::FormCreate() {
  cells_.SetHeaders(kHeaders);
  session_.Clear();
  cells_.SetRow(1);
  view_.ResetGrid(kFirstColumnWidths);
}

void MainWindowLogic::CheckStartClick() {
  run_.CheckStartClick();
  FinishCommand();
}

void MainWindowLogic::FileAddClick() {
  const auto folder = dialogs_.ChooseFolder(kChooseFolderPrompt);
  if (!folder) return;
  AddPaths({*folder});
}

void MainWindowLogic::F1Click() {
  const auto file = dialogs_.ChooseOpenFile();
  if (!file) return;
  AddPaths({*file});
}

void MainWindowLogic::WMDropFiles(const std::vector<std::string>& paths) {
  // A drop that arrives, or waited, while another command ran starts no
  // second job.
  if (paths.empty() || run_.IsRunning()) return;
  AddPaths(paths);
}

void MainWindowLogic::AddPaths(const std::vector<std::string>& paths) {
  run_.AddPaths(paths);
  FinishCommand();
}

void MainWindowLogic::InitInfoClick() {
  if (!dialogs_.AskOkCancel(kClearQuestion, kClearCaption)) return;
  FormCreate();
  status_.SetPanelText(0, "");
  status_.SetPanelText(1, kCleared);
}

void MainWindowLogic::bTopWindowClick() {
  view_.SetTopMost(!view_.TopMost());
  status_.SetPanelText(0, "");
  status_.SetPanelText(1, "");
}

void MainWindowLogic::C1Click() {
  const ResultSet& results = session_.Results();
  const int row = cells_.Row();
  if (results.NameOf(row).empty()) return;
  dialogs_.SetClipboardText(results.PathOf(row));
}

void MainWindowLogic::SaveAs1Click() { SaveReportAs(session_.Results(), status_, dialogs_, fs_, saveFileName_); }

void MainWindowLogic::About1Click() {
  status_.SetPanelText(1, "");
  view_.ShowAboutBox();
}

void MainWindowLogic::StringGrid1Click() { status_.SetPanelText(1, ""); }

void MainWindowLogic::Delete1Click() {
  deletion_.Delete1Click();
  FinishCommand();
}

void MainWindowLogic::N4Click() {
  deletion_.N4Click();
  FinishCommand();
}

void MainWindowLogic::A2Click() {
  deletion_.A2Click();
  FinishCommand();
}

void MainWindowLogic::FormKeyDown(bool deleteKey) {
  if (deleteKey && !run_.IsRunning()) Delete1Click();
}

bool MainWindowLogic::MayClose() {
  // The worker uses the grid and the table: the window closes only after the
  // command that runs it has ended.
  if (!run_.IsRunning()) return true;
  run_.RequestClose();
  return false;
}

void MainWindowLogic::ShowJobProgress() {
  const auto now = std::chrono::steady_clock::now();
  if (now - lastShown_ < kShowInterval) return;
  lastShown_ = now;
  view_.ShowLatest();
}

void MainWindowLogic::FinishCommand() {
  view_.ShowLatest();
  if (run_.CloseRequested() && !run_.IsRunning()) view_.CloseLater();
}

}  // namespace kestrilo
