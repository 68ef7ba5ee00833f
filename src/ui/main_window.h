#pragma once
// The main window: the command bar, the result grid, the status bar, the main
// menu and the grid's pop-up menu. Every command is a handler of this class;
// the long jobs run through run control, which keeps the window responsive
// while they run and disables the commands that would disturb them.

#include <QAction>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "check/check_session.h"
#include "check/result_cells.h"
#include "delete/deletion_commands.h"
#include "platform/file_system.h"
#include "run/job_bodies.h"
#include "run/run_control.h"
#include "toolkit/dialogs.h"
#include "toolkit/job_settings.h"
#include "toolkit/window_state.h"
#include "ui/about_box.h"
#include "ui/grid_model.h"
#include "ui/qt_event_pump.h"
#include "ui/window_status_panels.h"

namespace kestrilo {

class TForm1 final : public QMainWindow, private WindowState {
 public:
  // Asks for a font, offering `current`; nothing when the user cancels.
  using FontChooser = std::function<std::optional<QFont>(const QFont& current, QWidget* owner)>;

  // Every row of the grid is this high, whatever its font.
  static constexpr int kRowHeight = 16;

  // Without a font chooser the font dialog is used.
  TForm1(Dialogs& dialogs, FileSystem& fileSystem, FontChooser chooseFont = {});
  ~TForm1() override;

  // The command bar.
  QWidget* Panel1;
  QPushButton* FileAdd;
  QLineEdit* FilterText;
  QPushButton* CheckStart;
  QCheckBox* QuickCheck;
  QCheckBox* SortFlag;
  QPushButton* InitInfo;
  // The result grid and the status bar with its two panels.
  QTableView* StringGrid1;
  QStatusBar* StatusBar1;
  QLabel* StatusPanel0;
  QLabel* StatusPanel1;
  // The main menu.
  QMenuBar* MainMenu1;
  QMenu* File1;
  QAction* A1;
  QAction* F1;
  QAction* N1;
  QAction* SaveAs1;
  QAction* N2;
  QAction* Z1;
  QAction* N3;
  QAction* Exit1;
  QMenu* Show1;
  QAction* bTopWindow;
  QAction* N5;
  QAction* Font1;
  QMenu* Help1;
  QAction* About1;
  // The grid's pop-up menu.
  QMenu* PopupMenu1;
  QAction* C1;
  QAction* N6;
  QAction* Delete1;
  QAction* N4;
  QAction* A2;
  TAboutBox* AboutBox;

  void FormCreate();
  void FormShow();
  void CheckStartClick();
  void FileAddClick();
  void A1Click();
  void F1Click();
  // Adds dropped items, in the order given.
  void WMDropFiles(const std::vector<std::string>& paths);
  void Exit1Click();
  void About1Click();
  void InitInfoClick();
  void Z1Click();
  void bTopWindowClick();
  void Font1Click();
  void C1Click();
  void SaveAs1Click();
  void StringGrid1Click();
  void Delete1Click();
  void N4Click();
  void A2Click();
  void FormKeyDown(int key);

  const SignatureTable& Table() const { return session_.Table(); }
  const ResultCells& Cells() const { return grid_; }
  const RunControl& Run() const { return run_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SetControlEnabled(WindowControl control, bool enabled) override;
  void SetCheckStartCaption(const std::string& caption) override;
  std::string CheckStartCaption() const override;

  void BuildCommandBar();
  void BuildGrid();
  void BuildStatusBar();
  void BuildMenus();
  // Shows what the running job wrote, a few dozen times a second at most.
  void RefreshFromJob();
  // After a command: the window shows its final texts and cells, and closes
  // if that was asked while the command ran.
  void FinishCommand();
  void FollowGridRow();
  // Runs the window's key handler on a key at its first stop; true when the
  // key has been delivered whole.
  bool PreviewKey(QWidget* receiver, QKeyEvent* event);

  Dialogs& dialogs_;
  FileSystem& fileSystem_;
  FontChooser chooseFont_;

  WindowStatusPanels status_;
  MemoryJobSettings settings_;
  CheckSession session_;
  ResultCells grid_;
  SessionJobBodies jobs_;
  QtEventPump pump_;
  RunControl run_;
  DeletionCommands deletion_;

  GridModel* model_ = nullptr;
  // A previewed key is on its way to its control.
  bool passingKeyOn_ = false;
  QElapsedTimer sinceRefresh_;
  std::unique_ptr<TAboutBox> aboutBox_;
  // What the font dialog offers next: the font last chosen in it.
  QFont fontDialogFont_;
  // What the save dialog offers next.
  std::string saveFileName_;
};

}  // namespace kestrilo
