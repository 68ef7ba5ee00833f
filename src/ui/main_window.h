#pragma once
// The main window: the command bar, the result grid, the status bar, the main
// menu and the grid's pop-up menu. Every command is a handler of this class,
// which turns Qt's signals and events into the shared window logic's calls;
// what is Qt's own (widgets, the font dialog, drops, the key preview) stays here.

#include <QAction>
#include <QCheckBox>
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

#include "platform/file_system.h"
#include "toolkit/dialogs.h"
#include "toolkit/window_view.h"
#include "ui/about_box.h"
#include "ui/grid_model.h"
#include "ui/qt_event_pump.h"
#include "ui/window_status_panels.h"
#include "window/main_window_logic.h"

namespace kestrilo {

class TForm1 final : public QMainWindow, private WindowView {
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

  const SignatureTable& Table() const { return logic_.Session().Table(); }
  const ResultCells& Cells() const { return logic_.Cells(); }
  const RunControl& Run() const { return logic_.Run(); }

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
  void ResetGrid(const ColumnWidths& widths) override;
  void ShowLatest() override;
  void CloseLater() override;
  void ShowAboutBox() override;
  bool TopMost() const override;
  void SetTopMost(bool on) override;

  void BuildCommandBar();
  void BuildGrid();
  void BuildStatusBar();
  void BuildMenus();
  void FollowGridRow();
  // Runs the window's key handler on a key at its first stop; true when the
  // key has been delivered whole.
  bool PreviewKey(QWidget* receiver, QKeyEvent* event);

  FontChooser chooseFont_;

  WindowStatusPanels status_;
  QtEventPump pump_;
  MainWindowLogic logic_;

  GridModel* model_ = nullptr;
  // A previewed key is on its way to its control.
  bool passingKeyOn_ = false;
  std::unique_ptr<TAboutBox> aboutBox_;
  // What the font dialog offers next: the font last chosen in it.
  QFont fontDialogFont_;
};

}  // namespace kestrilo
