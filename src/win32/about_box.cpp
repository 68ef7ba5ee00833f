#include "win32/about_box.h"

#include "win32/bevel_panel.h"
#include "win32/command_ids.h"
#include "win32/resource_ids.h"

namespace kestrilo::win32 {

namespace {

constexpr wchar_t kClassName[] = L"TAboutBox";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr DWORD kExStyle = WS_EX_TOPMOST | WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

HWND Child(const wchar_t* windowClass, const wchar_t* text, DWORD style, RECT place, HWND parent, int id, HFONT font) {
  HWND child = CreateWindowExW(0, windowClass, text, WS_CHILD | WS_VISIBLE | style, place.left, place.top,
                               place.right - place.left, place.bottom - place.top, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return child;
}

}  // namespace

TAboutBox::TAboutBox(HWND mainWindow, HFONT font) : mainWindow_(mainWindow) {
  static const bool registered = [] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &TAboutBox::WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    return RegisterClassExW(&windowClass) != 0;
  }();
  (void)registered;

  RECT outer{0, 0, 298, 213};
  AdjustWindowRectEx(&outer, kStyle, FALSE, kExStyle);
  // Not owned by the main window: an owned top-most box would keep the main
  // window from becoming top-most again (Wine moves the owner below it).
  hwnd_ = CreateWindowExW(kExStyle, kClassName, L"バージョン情報", kStyle, 0, 0, outer.right - outer.left,
                          outer.bottom - outer.top, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

  Panel1 = CreateBevelPanel(hwnd_, 0, {8, 8, 8 + 281, 8 + 161}, BDR_SUNKENOUTER | BDR_RAISEDINNER);
  ProgramIcon = Child(L"STATIC", L"", SS_ICON | SS_REALSIZECONTROL, {18, 10, 18 + 39, 10 + 39}, Panel1, 0, font);
  auto* icon = static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(KESTRILO_ICON), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
  SendMessageW(ProgramIcon, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
  ProductName = Child(L"STATIC", L"Kestrilo", SS_LEFT | SS_NOPREFIX, {88, 16, 88 + 180, 16 + 14}, Panel1, 0, font);
  Version = Child(L"STATIC", L"Version 1.0", SS_LEFT | SS_NOPREFIX, {88, 40, 88 + 180, 40 + 14}, Panel1, 0, font);
  Comments = Child(L"STATIC", L"同じ内容のファイルを探して整理します。", SS_LEFT | SS_NOPREFIX,
                   {8, 80, 8 + 265, 80 + 14}, Panel1, 0, font);
  Usage = Child(L"STATIC",
                L"フォルダやファイルを追加して「調査開始」を押すと、同じ内容のファイルが番号付きで一覧になります。",
                SS_LEFT | SS_NOPREFIX, {8, 104, 8 + 265, 104 + 48}, Panel1, 0, font);
  OKButton = Child(L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, {111, 180, 111 + 75, 180 + 25}, hwnd_, IDOK, font);
}

TAboutBox::~TAboutBox() {
  if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

void TAboutBox::OKButtonClick() {
  EnableWindow(mainWindow_, TRUE);
  ShowWindow(hwnd_, SW_HIDE);
}

void TAboutBox::FormShow() {
  RECT main;
  RECT box;
  GetWindowRect(mainWindow_, &main);
  GetWindowRect(hwnd_, &box);
  const POINT at = CentredOver(main, {box.right - box.left, box.bottom - box.top});
  SetWindowPos(hwnd_, HWND_TOPMOST, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
}

POINT TAboutBox::CentredOver(const RECT& main, SIZE box) {
  const LONG width = main.right - main.left;
  const LONG height = main.bottom - main.top;
  return {main.left + width / 2 - box.cx / 2, main.top + height / 2 - box.cy / 2};
}

LRESULT CALLBACK TAboutBox::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* box = reinterpret_cast<TAboutBox*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (box == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_COMMAND:
      // Esc arrives as IDCANCEL and is ignored.
      if (LOWORD(wParam) == IDOK) box->OKButtonClick();
      return 0;
    case WM_CLOSE:
      box->OKButtonClick();
      return 0;
    case WM_SHOWWINDOW:
      if (wParam) box->FormShow();
      break;
    case WM_CTLCOLORSTATIC:
      SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace kestrilo::win32
