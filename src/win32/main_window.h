#pragma once
// The main window on Win32: the command bar, the result grid, the status bar,
// the main menu and the grid's pop-up menu. Every command is a handler of this
// class, which turns the window's messages into the shared window logic's
// calls; what is Win32's own (controls, fonts, the display scale, the font
// dialog, drops, the key preview) stays here.
//
// Sizes are 96-DPI figures scaled by the DPI the window reports; the window
// lays itself out again when it moves to a display of another scale.

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "toolkit/dialogs.h"
#include "toolkit/window_view.h"
#include "win32/about_box.h"
#include "win32/result_grid.h"
#include "win32/win32_event_pump.h"
#include "win32/win32_status_panels.h"
#include "window/main_window_logic.h"

namespace kestrilo::win32 {

// A font and its colour, as the font dialog offers and returns them.
struct ChosenFont {
  LOGFONTW font{};
  COLORREF colour = 0;
};

class TForm1 final : private WindowView {
 public:
  // Asks for a font, offering `current`; nothing when the user cancels.
  using FontChooser = std::function<std::optional<ChosenFont>(const ChosenFont& current, HWND owner)>;

  // Without a font chooser the font dialog (ChooseFontW) is used.
  TForm1(Dialogs& dialogs, FileSystem& fileSystem, FontChooser chooseFont = {});
  ~TForm1() override;
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  HWND Handle() const { return hwnd_; }

  // The command bar.
  HWND Panel1 = nullptr;
  HWND FileAdd = nullptr;
  HWND FilterText = nullptr;
  HWND CheckStart = nullptr;
  HWND QuickCheck = nullptr;
  HWND SortFlag = nullptr;
  HWND InitInfo = nullptr;
  // The result grid and the status bar.
  HWND StringGrid1 = nullptr;
  HWND StatusBar1 = nullptr;
  // The main menu and its three menus; the grid's pop-up menu.
  HMENU MainMenu1 = nullptr;
  HMENU File1 = nullptr;
  HMENU Show1 = nullptr;
  HMENU Help1 = nullptr;
  HMENU PopupMenu1 = nullptr;
  std::unique_ptr<TAboutBox> AboutBox;

  // Shows the window top-most (the program's start).
  void Show();

  void FormCreate();
  void FormShow();
  void CheckStartClick();
  void FileAddClick();
  void A1Click();
  void F1Click();
  // Adds the items of a drop, in the order the shell gives them.
  void WMDropFiles(HDROP drop);
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
  void FormKeyDown(WPARAM key);

  // Dispatches one message of the window thread: the Delete key is seen by
  // FormKeyDown before the focused control gets it, and the about box and
  // the command bar get their dialog keys (Enter, Tab).
  void DispatchOne(MSG& message);
  // The message loop of the program; returns the quit code.
  int Run();

  bool TopMost() const override;
  // The DPI the window is laid out for.
  int Dpi() const { return dpi_; }
  const SignatureTable& Table() const { return logic_.Session().Table(); }
  const ResultCells& Cells() const { return logic_.Cells(); }
  const ResultGrid& Grid() const { return resultGrid_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommand(int id, int notification);
  void Layout();
  // Fonts, sizes and the grid's columns for `dpi`.
  void ApplyDpi(int dpi);
  // The smallest outer size that keeps the command bar whole and shows the
  // grid's header and two rows.
  SIZE MinimumSize() const;

  void SetControlEnabled(WindowControl control, bool enabled) override;
  void SetCheckStartCaption(const std::string& caption) override;
  std::string CheckStartCaption() const override;
  void ResetGrid(const ColumnWidths& widths) override;
  void ShowLatest() override;
  void CloseLater() override;
  void ShowAboutBox() override;
  void SetTopMost(bool on) override;

  void BuildCommandBar();
  void BuildMenus();

  FontChooser chooseFont_;

  Win32StatusPanels status_;
  Win32EventPump pump_;
  MainWindowLogic logic_;
  ResultGrid resultGrid_;

  HWND hwnd_ = nullptr;
  int dpi_ = 96;
  HFONT windowFont_ = nullptr;
  HFONT gridFont_ = nullptr;
  // What the font dialog offers next: the font last chosen in it, its size
  // at 96 DPI.
  ChosenFont fontDialogFont_;
  // The width the window has gained over its first one, which the folder
  // column has taken.
  int widthGained_ = 0;
};

}  // namespace kestrilo::win32
