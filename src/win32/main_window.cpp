#include "win32/main_window.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <utility>

#include "win32/bevel_panel.h"
#include "win32/command_ids.h"
#include "win32/resource_ids.h"
#include "win32/wide.h"
#include "win32/window_font.h"

namespace kestrilo::win32 {

namespace {

constexpr wchar_t kClassName[] = L"TForm1";
constexpr int kWindowWidth = 576;
constexpr int kWindowHeight = 357;
constexpr int kCommandBarHeight = 41;
constexpr int kStatusBarHeight = 19;
// Refreshing more often than this only costs the job time.
constexpr ULONGLONG kRefreshIntervalMs = 30;

struct Column {
  int width;
  const char* header;
};
constexpr Column kColumns[kGridColumns] = {{30, ""}, {110, "ファイル名"}, {70, "サイズ"}, {330, "パス"}};

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

HWND Control(const wchar_t* windowClass, const wchar_t* text, DWORD style, DWORD exStyle, RECT place, HWND parent,
             int id, HFONT font) {
  HWND control = CreateWindowExW(exStyle, windowClass, text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, place.left,
                                 place.top, place.right, place.bottom, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

std::string TextOf(HWND control) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return Utf8(text);
}

bool IsChecked(HWND checkBox) { return SendMessageW(checkBox, BM_GETCHECK, 0, 0) == BST_CHECKED; }

}  // namespace

TForm1::TForm1(Dialogs& dialogs, FileSystem& fileSystem, FontChooser chooseFont)
    : dialogs_(dialogs),
      fileSystem_(fileSystem),
      chooseFont_(chooseFont ? std::move(chooseFont) : FontChooser(AskFont)),
      session_(status_, settings_, fileSystem_),
      grid_(session_.Results()),
      jobs_(session_),
      pump_([this](MSG& message) { DispatchOne(message); }, [this] { RefreshFromJob(); }),
      run_(jobs_, session_, status_, settings_, *this, pump_),
      deletion_(grid_, session_.Results(), status_, dialogs_, fileSystem_),
      resultGrid_(grid_) {
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

  const LOGFONTW font = WindowLogFont();
  windowFont_ = CreateFontIndirectW(&font);
  gridFont_ = CreateFontIndirectW(&font);
  fontDialogFont_ = {font, GetSysColor(COLOR_WINDOWTEXT)};

  BuildMenus();
  const int left = (GetSystemMetrics(SM_CXSCREEN) - kWindowWidth) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - kWindowHeight) / 2;
  hwnd_ = CreateWindowExW(0, kClassName, L"Kestrilo", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, left, top, kWindowWidth,
                          kWindowHeight, nullptr, MainMenu1, instance, nullptr);
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(windowFont_), FALSE);

  BuildCommandBar();
  resultGrid_.Create(hwnd_, kStringGrid1Id);
  StringGrid1 = resultGrid_.Handle();
  resultGrid_.SetGridFont(gridFont_, fontDialogFont_.colour);
  resultGrid_.onClick = [this] { StringGrid1Click(); };
  resultGrid_.onContextMenu = [this](POINT at) {
    TrackPopupMenu(PopupMenu1, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd_, nullptr);
  };

  StatusBar1 = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, hwnd_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatusBar1Id)), instance, nullptr);
  SendMessageW(StatusBar1, WM_SETFONT, reinterpret_cast<WPARAM>(windowFont_), FALSE);
  SendMessageW(StatusBar1, SB_SETMINHEIGHT, kStatusBarHeight, 0);
  // Panel 0 is 150 wide; the message panel takes the rest, so that long
  // messages can be read.
  const int edges[2] = {150, -1};
  SendMessageW(StatusBar1, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(edges));
  status_.Attach(StatusBar1);

  AboutBox = std::make_unique<TAboutBox>(hwnd_, windowFont_);
  Layout();
  lastRefresh_ = GetTickCount64();
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
  Panel1 = CreateBevelPanel(hwnd_, kPanel1Id, {0, 0, kWindowWidth, kCommandBarHeight}, BDR_RAISEDOUTER);
  // Created in the tab order of the command bar.
  CheckStart = Control(L"BUTTON", L"調査開始", BS_PUSHBUTTON, 0, {160, 8, 75, 25}, Panel1, kCheckStartId, windowFont_);
  FileAdd = Control(L"BUTTON", L"フォルダを追加", BS_PUSHBUTTON, 0, {8, 8, 97, 25}, Panel1, kFileAddId, windowFont_);
  InitInfo = Control(L"BUTTON", L"情報初期化", BS_PUSHBUTTON, 0, {488, 8, 75, 25}, Panel1, kInitInfoId, windowFont_);
  FilterText =
      Control(L"EDIT", L"*.*", ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, {112, 10, 41, 20}, Panel1, kFilterTextId, windowFont_);
  QuickCheck =
      Control(L"BUTTON", L"追加後すぐ調査", BS_AUTOCHECKBOX, 0, {240, 12, 121, 17}, Panel1, kQuickCheckId, windowFont_);
  SortFlag =
      Control(L"BUTTON", L"サイズでソート", BS_AUTOCHECKBOX, 0, {368, 12, 113, 17}, Panel1, kSortFlagId, windowFont_);
  SendMessageW(SortFlag, BM_SETCHECK, BST_CHECKED, 0);
  settings_.filterText = TextOf(FilterText);
  settings_.quickCheck = IsChecked(QuickCheck);
  settings_.sortFlag = IsChecked(SortFlag);
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

void TForm1::Layout() {
  RECT client;
  GetClientRect(hwnd_, &client);
  SendMessageW(StatusBar1, WM_SIZE, 0, 0);
  RECT status;
  GetWindowRect(StatusBar1, &status);
  const int statusHeight = status.bottom - status.top;
  const int width = client.right;
  MoveWindow(Panel1, 0, 0, width, kCommandBarHeight, TRUE);
  MoveWindow(StringGrid1, 0, kCommandBarHeight, width,
             std::max(0, static_cast<int>(client.bottom) - kCommandBarHeight - statusHeight), TRUE);
}

void TForm1::Show() {
  ShowWindow(hwnd_, SW_SHOW);
  SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  UpdateWindow(hwnd_);
}

bool TForm1::TopMost() const { return (GetWindowLongPtrW(hwnd_, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

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
      // The worker uses the grid and the table: the window closes only after
      // the command that runs it has ended.
      if (run_.IsRunning()) {
        run_.RequestClose();
        return 0;
      }
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
  switch (id) {
    case kFilterTextId:
      if (notification == EN_CHANGE) settings_.filterText = TextOf(FilterText);
      return;
    case kQuickCheckId:
      settings_.quickCheck = IsChecked(QuickCheck);
      return;
    case kSortFlagId:
      settings_.sortFlag = IsChecked(SortFlag);
      return;
    case kCheckStartId:
      CheckStartClick();
      return;
    default:
      break;
  }
  // Everything else starts a job or changes the data: not while one runs
  // (its controls and menus are disabled then).
  if (run_.IsRunning()) return;
  switch (id) {
    case kFileAddId:
      FileAddClick();
      break;
    case kInitInfoId:
      InitInfoClick();
      break;
    case kA1Id:
      A1Click();
      break;
    case kF1Id:
      F1Click();
      break;
    case kSaveAs1Id:
      SaveAs1Click();
      break;
    case kZ1Id:
      Z1Click();
      break;
    case kExit1Id:
      Exit1Click();
      break;
    case kbTopWindowId:
      bTopWindowClick();
      break;
    case kFont1Id:
      Font1Click();
      break;
    case kAbout1Id:
      About1Click();
      break;
    case kC1Id:
      C1Click();
      break;
    case kDelete1Id:
      Delete1Click();
      break;
    case kN4Id:
      N4Click();
      break;
    case kA2Id:
      A2Click();
      break;
    default:
      break;
  }
}

void TForm1::FormCreate() {
  GridRow headers;
  for (int column = 0; column < kGridColumns; ++column) {
    resultGrid_.SetColumnWidth(column, kColumns[column].width);
    headers[static_cast<std::size_t>(column)] = kColumns[column].header;
  }
  grid_.SetHeaders(headers);
  session_.Clear();
  grid_.SetRow(1);
  resultGrid_.Reset();
}

void TForm1::FormShow() { DragAcceptFiles(hwnd_, TRUE); }

void TForm1::FormKeyDown(WPARAM key) {
  if (key == VK_DELETE && !run_.IsRunning()) Delete1Click();
}

void TForm1::SetControlEnabled(WindowControl control, bool enabled) {
  const auto menu = [this, enabled](UINT position) {
    EnableMenuItem(MainMenu1, position, MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
    DrawMenuBar(hwnd_);
  };
  switch (control) {
    case WindowControl::File1:
      menu(kFile1Position);
      break;
    case WindowControl::Show1:
      menu(kShow1Position);
      break;
    case WindowControl::Help1:
      menu(kHelp1Position);
      break;
    case WindowControl::FileAdd:
      EnableWindow(FileAdd, enabled);
      break;
    case WindowControl::FilterText:
      EnableWindow(FilterText, enabled);
      break;
    case WindowControl::QuickCheck:
      EnableWindow(QuickCheck, enabled);
      break;
    case WindowControl::InitInfo:
      EnableWindow(InitInfo, enabled);
      break;
    case WindowControl::StringGrid1:
      EnableWindow(StringGrid1, enabled);
      break;
    case WindowControl::SortFlag:
      EnableWindow(SortFlag, enabled);
      break;
  }
}

void TForm1::SetCheckStartCaption(const std::string& caption) { SetWindowTextW(CheckStart, Wide(caption).c_str()); }

std::string TForm1::CheckStartCaption() const { return TextOf(CheckStart); }

void TForm1::RefreshFromJob() {
  const ULONGLONG now = GetTickCount64();
  if (now - lastRefresh_ < kRefreshIntervalMs) return;
  lastRefresh_ = now;
  status_.Flush();
  resultGrid_.Refresh();
}

void TForm1::FinishCommand() {
  status_.Flush();
  resultGrid_.Refresh();
  if (run_.CloseRequested() && !run_.IsRunning()) PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void TForm1::AddPaths(const std::vector<std::string>& paths) {
  run_.AddPaths(paths);
  FinishCommand();
}

void TForm1::CheckStartClick() {
  run_.CheckStartClick();
  FinishCommand();
}

void TForm1::WMDropFiles(HDROP drop) {
  std::vector<std::string> paths;
  // A drop while a job runs starts no second one.
  if (!run_.IsRunning()) {
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT index = 0; index < count; ++index) {
      std::wstring path(DragQueryFileW(drop, index, nullptr, 0) + 1, L'\0');
      path.resize(DragQueryFileW(drop, index, path.data(), static_cast<UINT>(path.size())));
      paths.push_back(Utf8(path));
    }
  }
  DragFinish(drop);
  if (!paths.empty()) AddPaths(paths);
}

void TForm1::Exit1Click() { SendMessageW(hwnd_, WM_CLOSE, 0, 0); }

void TForm1::About1Click() {
  status_.SetPanelText(1, "");
  EnableWindow(hwnd_, FALSE);
  ShowWindow(AboutBox->Handle(), SW_SHOW);
}

void TForm1::StringGrid1Click() { status_.SetPanelText(1, ""); }

void TForm1::Delete1Click() {
  deletion_.Delete1Click();
  FinishCommand();
}

void TForm1::N4Click() {
  deletion_.N4Click();
  FinishCommand();
}

void TForm1::A2Click() {
  deletion_.A2Click();
  FinishCommand();
}

}  // namespace kestrilo::win32
