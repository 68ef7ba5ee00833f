#include "win32/main_window.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <iterator>
#include <utility>

#include "win32/bevel_panel.h"
#include "win32/command_ids.h"
#include "win32/dpi.h"
#include "win32/resource_ids.h"
#include "win32/wide.h"
#include "win32/window_font.h"

namespace kestrilo::win32 {

namespace {

constexpr wchar_t kClassName[] = L"TForm1";
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
// Sizes at 96 DPI.
constexpr int kWindowWidth = 576;
constexpr int kWindowHeight = 357;
constexpr int kCommandBarHeight = 41;
constexpr int kStatusBarHeight = 19;
constexpr int kStatusPanel0Width = 150;
// The smallest grid still shows its header and two rows.
constexpr int kGridMinimumRows = 2;

// A control of the command bar and its place there at 96 DPI.
struct BarControl {
  HWND TForm1::*member;
  const wchar_t* windowClass;
  const wchar_t* text;
  DWORD style;
  DWORD exStyle;
  int id;
  int left, top, width, height;
};

// In the command bar's tab order.
constexpr BarControl kBarControls[] = {
    {&TForm1::CheckStart, L"BUTTON", L"調査開始", BS_PUSHBUTTON, 0, kCheckStartId, 160, 8, 75, 25},
    {&TForm1::FileAdd, L"BUTTON", L"フォルダを追加", BS_PUSHBUTTON, 0, kFileAddId, 8, 8, 97, 25},
    {&TForm1::InitInfo, L"BUTTON", L"情報初期化", BS_PUSHBUTTON, 0, kInitInfoId, 488, 8, 75, 25},
    {&TForm1::FilterText, L"EDIT", L"*.*", ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, kFilterTextId, 112, 10, 41, 20},
    {&TForm1::QuickCheck, L"BUTTON", L"追加後すぐ調査", BS_AUTOCHECKBOX, 0, kQuickCheckId, 240, 12, 121, 17},
    {&TForm1::SortFlag, L"BUTTON", L"サイズでソート", BS_AUTOCHECKBOX, 0, kSortFlagId, 368, 12, 113, 17},
};
// The right edge of the command bar's last control.
constexpr int kCommandBarRight = 488 + 75;

// Positions of the three menus in the menu bar.
constexpr UINT kFile1Position = 0;
constexpr UINT kShow1Position = 1;
constexpr UINT kHelp1Position = 2;

std::optional<ChosenFont> AskFont(const ChosenFont& current, HWND owner) {
  LOGFONTW font = current.font;
  CHOOSEFONTW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpLogFont = &font;
  dialog.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT;
  dialog.rgbColors = current.colour;
  if (!ChooseFontW(&dialog)) return std::nullopt;
  return ChosenFont{font, dialog.rgbColors};
}

std::string TextOf(HWND control) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return Utf8(text);
}

bool IsChecked(HWND checkBox) { return SendMessageW(checkBox, BM_GETCHECK, 0, 0) == BST_CHECKED; }

int HeightOf(HWND window) {
  RECT rect;
  GetWindowRect(window, &rect);
  return rect.bottom - rect.top;
}

}  // namespace

TForm1::TForm1(Dialogs& dialogs, FileSystem& fileSystem, FontChooser chooseFont)
    : chooseFont_(chooseFont ? std::move(chooseFont) : FontChooser(AskFont)),
      pump_([this](MSG& message) { DispatchOne(message); }, [this] { logic_.ShowJobProgress(); }),
      logic_(*this, status_, pump_, dialogs, fileSystem),
      resultGrid_(logic_.Cells()) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  static const bool registered = [instance] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &TForm1::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(KESTRILO_ICON));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    return RegisterClassExW(&windowClass) != 0;
  }();
  (void)registered;

  fontDialogFont_ = {WindowLogFont(), GetSysColor(COLOR_WINDOWTEXT)};
  BuildMenus();
  // Made at its first size once it knows the display it is on.
  hwnd_ = CreateWindowExW(0, kClassName, L"Kestrilo", kStyle, 0, 0, kWindowWidth, kWindowHeight, nullptr, MainMenu1,
                          instance, nullptr);
  dpi_ = DpiOf(hwnd_);
  const int width = Scaled(kWindowWidth, dpi_);
  const int height = Scaled(kWindowHeight, dpi_);

  Panel1 = CreateBevelPanel(hwnd_, kPanel1Id, {0, 0, width, Scaled(kCommandBarHeight, dpi_)}, BDR_RAISEDOUTER);
  for (const BarControl& control : kBarControls) {
    this->*control.member = CreateWindowExW(
        control.exStyle, control.windowClass, control.text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | control.style, 0, 0, 0,
        0, Panel1, reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instance, nullptr);
  }
  BuildCommandBar();
  resultGrid_.Create(hwnd_, kStringGrid1Id);
  StringGrid1 = resultGrid_.Handle();
  resultGrid_.onClick = [this] { StringGrid1Click(); };
  resultGrid_.onContextMenu = [this](POINT at) {
    TrackPopupMenu(PopupMenu1, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd_, nullptr);
  };
  // A panel that cuts its text shows it whole in a tooltip.
  StatusBar1 =
      CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP | SBARS_TOOLTIPS, 0, 0, 0, 0,
                      hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatusBar1Id)), instance, nullptr);
  status_.Attach(StatusBar1);

  ApplyDpi(dpi_);
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowPos(hwnd_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  AboutBox = std::make_unique<TAboutBox>(hwnd_);
  Layout();
  FormCreate();
}

TForm1::~TForm1() {
  AboutBox.reset();
  if (IsWindow(hwnd_)) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
  DestroyMenu(PopupMenu1);
  DeleteObject(gridFont_);
  DeleteObject(windowFont_);
}

void TForm1::BuildCommandBar() {
  SendMessageW(SortFlag, BM_SETCHECK, BST_CHECKED, 0);
  MemoryJobSettings& settings = logic_.Settings();
  settings.filterText = TextOf(FilterText);
  settings.quickCheck = IsChecked(QuickCheck);
  settings.sortFlag = IsChecked(SortFlag);
}

void TForm1::BuildMenus() {
  File1 = CreatePopupMenu();
  AppendMenuW(File1, MF_STRING, kA1Id, L"フォルダを追加(&O)...");
  AppendMenuW(File1, MF_STRING, kF1Id, L"ファイルを追加(&F)...");
  AppendMenuW(File1, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(File1, MF_STRING, kSaveAs1Id, L"名前を付けて保存(&A)...");
  AppendMenuW(File1, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(File1, MF_STRING, kZ1Id, L"情報初期化(&N)...");
  AppendMenuW(File1, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(File1, MF_STRING, kExit1Id, L"終了(&X)");

  Show1 = CreatePopupMenu();
  AppendMenuW(Show1, MF_STRING | MF_CHECKED, kbTopWindowId, L"最前面表示(&H)");
  AppendMenuW(Show1, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(Show1, MF_STRING, kFont1Id, L"フォント(&F)...");

  Help1 = CreatePopupMenu();
  AppendMenuW(Help1, MF_STRING, kAbout1Id, L"バージョン情報(&A)...");

  MainMenu1 = CreateMenu();
  AppendMenuW(MainMenu1, MF_POPUP, reinterpret_cast<UINT_PTR>(File1), L"ファイル(&F)");
  AppendMenuW(MainMenu1, MF_POPUP, reinterpret_cast<UINT_PTR>(Show1), L"表示(&V)");
  AppendMenuW(MainMenu1, MF_POPUP, reinterpret_cast<UINT_PTR>(Help1), L"ヘルプ(&H)");

  PopupMenu1 = CreatePopupMenu();
  AppendMenuW(PopupMenu1, MF_STRING, kC1Id, L"ファイル名をコピー(&C)");
  AppendMenuW(PopupMenu1, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(PopupMenu1, MF_STRING, kDelete1Id, L"１ファイル削除(&D)");
  AppendMenuW(PopupMenu1, MF_STRING, kN4Id, L"同一パス配下の重複ファイルを全て削除(&P)");
  AppendMenuW(PopupMenu1, MF_STRING, kA2Id, L"同一ドライブの重複ファイルを全て削除(&A)");
}

void TForm1::ApplyDpi(int dpi) {
  widthGained_ = MulDiv(widthGained_, dpi, dpi_);
  dpi_ = dpi;
  HFONT oldWindowFont = windowFont_;
  HFONT oldGridFont = gridFont_;
  const LOGFONTW windowFont = ScaledFont(WindowLogFont(), dpi_);
  windowFont_ = CreateFontIndirectW(&windowFont);
  const LOGFONTW gridFont = ScaledFont(fontDialogFont_.font, dpi_);
  gridFont_ = CreateFontIndirectW(&gridFont);

  for (HWND window : {hwnd_, StatusBar1, FileAdd, FilterText, CheckStart, QuickCheck, SortFlag, InitInfo}) {
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(windowFont_), TRUE);
  }
  resultGrid_.SetGridFont(gridFont_, fontDialogFont_.colour);
  resultGrid_.SetDpi(dpi_);
  SendMessageW(StatusBar1, SB_SETMINHEIGHT, static_cast<WPARAM>(Scaled(kStatusBarHeight, dpi_)), 0);
  // Panel 0 is 150 wide; the message panel takes the rest, so that long
  // messages can be read.
  const int edges[2] = {Scaled(kStatusPanel0Width, dpi_), -1};
  SendMessageW(StatusBar1, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(edges));
  if (oldWindowFont != nullptr) DeleteObject(oldWindowFont);
  if (oldGridFont != nullptr) DeleteObject(oldGridFont);
}

void TForm1::Layout() {
  RECT client;
  GetClientRect(hwnd_, &client);
  SendMessageW(StatusBar1, WM_SIZE, 0, 0);
  const int statusHeight = HeightOf(StatusBar1);
  const int width = client.right;
  const int barHeight = Scaled(kCommandBarHeight, dpi_);
  MoveWindow(Panel1, 0, 0, width, barHeight, TRUE);
  for (const BarControl& control : kBarControls) {
    const RECT place = ScaledPlace(control.left, control.top, control.width, control.height, dpi_);
    MoveWindow(this->*control.member, place.left, place.top, place.right - place.left, place.bottom - place.top, TRUE);
  }
  MoveWindow(StringGrid1, 0, barHeight, width, std::max(0, static_cast<int>(client.bottom) - barHeight - statusHeight),
             TRUE);

  // The folder column takes the width the window gains over its first
  // width, by difference, so that a width the user gave it stays.
  RECT outer;
  GetWindowRect(hwnd_, &outer);
  const int gained = std::max(0, static_cast<int>(outer.right - outer.left) - Scaled(kWindowWidth, dpi_));
  if (gained != widthGained_) {
    resultGrid_.SetColumnWidth(kFolderColumn, resultGrid_.ColumnWidth(kFolderColumn) + gained - widthGained_);
    widthGained_ = gained;
  }
}

SIZE TForm1::MinimumSize() const {
  const int gridHeight = (1 + kGridMinimumRows) * resultGrid_.RowHeight() + 2 * GetSystemMetrics(SM_CYEDGE) +
                         GetSystemMetrics(SM_CYHSCROLL);
  const SIZE client{Scaled(kCommandBarRight, dpi_),
                    Scaled(kCommandBarHeight, dpi_) + gridHeight + HeightOf(StatusBar1)};
  const SIZE outer = OuterSize(client, kStyle, 0, true, dpi_);
  // Never more than the window's first size, which the window always keeps.
  return {std::min(outer.cx, static_cast<LONG>(Scaled(kWindowWidth, dpi_))),
          std::min(outer.cy, static_cast<LONG>(Scaled(kWindowHeight, dpi_)))};
}

void TForm1::Show() {
  ShowWindow(hwnd_, SW_SHOW);
  SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  UpdateWindow(hwnd_);
}

bool TForm1::TopMost() const { return (GetWindowLongPtrW(hwnd_, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

void TForm1::SetTopMost(bool on) {
  if (on) {
    ShowWindow(hwnd_, SW_HIDE);
    SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ShowWindow(hwnd_, SW_SHOW);
  } else {
    SetWindowPos(hwnd_, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  }
  CheckMenuItem(MainMenu1, kbTopWindowId, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

int TForm1::Run() {
  MSG message;
  while (!pump_.QuitSeen()) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(message.wParam);
    if (got < 0) return 0;
    DispatchOne(message);
  }
  return pump_.QuitCode();
}

void TForm1::DispatchOne(MSG& message) {
  const bool ours = message.hwnd == hwnd_ || IsChild(hwnd_, message.hwnd);
  if (ours && message.message == WM_KEYDOWN) FormKeyDown(message.wParam);
  HWND about = AboutBox ? AboutBox->Handle() : nullptr;
  if (about != nullptr && IsWindowVisible(about) && IsDialogMessageW(about, &message)) return;
  // Tab through the command bar; Alt and its letters stay the menu's.
  const bool menuKey = message.message == WM_SYSKEYDOWN || message.message == WM_SYSCHAR;
  if (ours && !menuKey && IsDialogMessageW(hwnd_, &message)) return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

LRESULT CALLBACK TForm1::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* form = reinterpret_cast<TForm1*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (form == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  return form->OnMessage(message, wParam, lParam);
}

LRESULT TForm1::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_SIZE:
      Layout();
      return 0;
    case WM_DPICHANGED: {
      ApplyDpi(HIWORD(wParam));
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
      Layout();
      return 0;
    }
    case WM_GETMINMAXINFO: {
      const SIZE smallest = MinimumSize();
      auto* sizes = reinterpret_cast<MINMAXINFO*>(lParam);
      sizes->ptMinTrackSize = {smallest.cx, smallest.cy};
      return 0;
    }
    case WM_SHOWWINDOW:
      if (wParam) FormShow();
      break;
    case WM_DROPFILES:
      WMDropFiles(reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_CTLCOLORSTATIC:
      SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_CLOSE:
      if (!logic_.MayClose()) return 0;
      ShowWindow(AboutBox->Handle(), SW_HIDE);
      DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void TForm1::OnCommand(int id, int notification) {
  MemoryJobSettings& settings = logic_.Settings();
  switch (id) {
    case kFilterTextId:
      if (notification == EN_CHANGE) settings.filterText = TextOf(FilterText);
      return;
    case kQuickCheckId:
      settings.quickCheck = IsChecked(QuickCheck);
      return;
    case kSortFlagId:
      settings.sortFlag = IsChecked(SortFlag);
      return;
    case kCheckStartId:
      CheckStartClick();
      return;
    default:
      break;
  }
  // Everything else starts a job or changes the data: not while one runs
  // (its controls and menus are disabled then).
  if (logic_.IsRunning()) return;
  using Handler = void (TForm1::*)();
  static constexpr std::pair<int, Handler> kHandlers[] = {
      {kFileAddId, &TForm1::FileAddClick}, {kInitInfoId, &TForm1::InitInfoClick},
      {kA1Id, &TForm1::A1Click},           {kF1Id, &TForm1::F1Click},
      {kSaveAs1Id, &TForm1::SaveAs1Click}, {kZ1Id, &TForm1::Z1Click},
      {kExit1Id, &TForm1::Exit1Click},     {kbTopWindowId, &TForm1::bTopWindowClick},
      {kFont1Id, &TForm1::Font1Click},     {kAbout1Id, &TForm1::About1Click},
      {kC1Id, &TForm1::C1Click},           {kDelete1Id, &TForm1::Delete1Click},
      {kN4Id, &TForm1::N4Click},           {kA2Id, &TForm1::A2Click},
  };
  for (const auto& [handlerId, handler] : kHandlers) {
    if (handlerId == id) {
      (this->*handler)();
      return;
    }
  }
}

void TForm1::FormCreate() { logic_.FormCreate(); }

void TForm1::ResetGrid(const ColumnWidths& widths) {
  for (int column = 0; column < kGridColumns; ++column) {
    resultGrid_.SetColumnWidth(
        column, Scaled(widths[static_cast<std::size_t>(column)], dpi_) + (column == kFolderColumn ? widthGained_ : 0));
  }
  resultGrid_.Reset();
}

void TForm1::FormShow() { DragAcceptFiles(hwnd_, TRUE); }

void TForm1::FormKeyDown(WPARAM key) { logic_.FormKeyDown(key == VK_DELETE); }

void TForm1::SetControlEnabled(WindowControl control, bool enabled) {
  // In the order of WindowControl: the three menus, then the controls.
  constexpr UINT menus[] = {kFile1Position, kShow1Position, kHelp1Position};
  const HWND controls[] = {FileAdd, FilterText, QuickCheck, InitInfo, StringGrid1, SortFlag};
  const auto index = static_cast<std::size_t>(control);
  if (index < std::size(menus)) {
    EnableMenuItem(MainMenu1, menus[index], MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
    DrawMenuBar(hwnd_);
  } else {
    EnableWindow(controls[index - std::size(menus)], enabled);
  }
}

void TForm1::SetCheckStartCaption(const std::string& caption) { SetWindowTextW(CheckStart, Wide(caption).c_str()); }

std::string TForm1::CheckStartCaption() const { return TextOf(CheckStart); }

void TForm1::ShowLatest() {
  status_.Flush();
  resultGrid_.Refresh();
}

void TForm1::CloseLater() { PostMessageW(hwnd_, WM_CLOSE, 0, 0); }

void TForm1::ShowAboutBox() {
  EnableWindow(hwnd_, FALSE);
  ShowWindow(AboutBox->Handle(), SW_SHOW);
}

void TForm1::CheckStartClick() { logic_.CheckStartClick(); }

void TForm1::WMDropFiles(HDROP drop) {
  std::vector<std::string> paths;
  // A drop while a job runs starts no second one.
  if (!logic_.IsRunning()) {
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT index = 0; index < count; ++index) {
      std::wstring path(DragQueryFileW(drop, index, nullptr, 0) + 1, L'\0');
      path.resize(DragQueryFileW(drop, index, path.data(), static_cast<UINT>(path.size())));
      paths.push_back(Utf8(path));
    }
  }
  DragFinish(drop);
  logic_.WMDropFiles(paths);
}

void TForm1::Exit1Click() { SendMessageW(hwnd_, WM_CLOSE, 0, 0); }

void TForm1::About1Click() { logic_.About1Click(); }

void TForm1::StringGrid1Click() { logic_.StringGrid1Click(); }

void TForm1::Delete1Click() { logic_.Delete1Click(); }

void TForm1::N4Click() { logic_.N4Click(); }

void TForm1::A2Click() { logic_.A2Click(); }

}  // namespace kestrilo::win32
