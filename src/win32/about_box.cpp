#include "win32/about_box.h"

#include <string>

#include "version/version.h"
#include "win32/bevel_panel.h"
#include "win32/command_ids.h"
#include "win32/dpi.h"
#include "win32/resource_ids.h"
#include "win32/wide.h"
#include "win32/window_font.h"

namespace kestrilo::win32 {

namespace {

constexpr wchar_t kClassName[] = L"TAboutBox";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr DWORD kExStyle = WS_EX_TOPMOST | WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
// Sizes at 96 DPI.
constexpr SIZE kClientSize{298, 213};

// A child of the box or of its panel and its place there at 96 DPI.
struct BoxChild {
  HWND TAboutBox::*member;
  bool onPanel;
  int left, top, width, height;
};

constexpr BoxChild kChildren[] = {
    {&TAboutBox::Panel1, false, 8, 8, 281, 161},      {&TAboutBox::ProgramIcon, true, 18, 10, 39, 39},
    {&TAboutBox::ProductName, true, 88, 16, 180, 14}, {&TAboutBox::Version, true, 88, 40, 180, 14},
    {&TAboutBox::Comments, true, 8, 80, 265, 14},     {&TAboutBox::Usage, true, 8, 104, 265, 48},
    {&TAboutBox::OKButton, false, 111, 180, 75, 25},
};

HWND Child(const wchar_t* windowClass, const wchar_t* text, DWORD style, HWND parent, int id) {
  return CreateWindowExW(0, windowClass, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

TAboutBox::TAboutBox(HWND mainWindow) : mainWindow_(mainWindow) {
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

  // Not owned by the main window: an owned top-most box would keep the main
  // window from becoming top-most again (Wine moves the owner below it).
  hwnd_ = CreateWindowExW(kExStyle, kClassName, L"バージョン情報", kStyle, 0, 0, kClientSize.cx, kClientSize.cy,
                          nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);

  Panel1 = CreateBevelPanel(hwnd_, 0, {0, 0, 0, 0}, BDR_SUNKENOUTER | BDR_RAISEDINNER);
  ProgramIcon = Child(L"STATIC", L"", SS_ICON | SS_REALSIZECONTROL, Panel1, 0);
  ProductName = Child(L"STATIC", L"Kestrilo", SS_LEFT | SS_NOPREFIX, Panel1, 0);
  const std::wstring version = L"Version " + Wide(kVersion);
  Version = Child(L"STATIC", version.c_str(), SS_LEFT | SS_NOPREFIX, Panel1, 0);
  Comments = Child(L"STATIC", L"同じ内容のファイルを探して整理します。", SS_LEFT | SS_NOPREFIX, Panel1, 0);
  Usage = Child(L"STATIC",
                L"フォルダやファイルを追加して「調査開始」を押すと、同じ内容のファイルが番号付きで一覧になります。",
                SS_LEFT | SS_NOPREFIX, Panel1, 0);
  OKButton = Child(L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, hwnd_, IDOK);
  ApplyDpi(DpiOf(hwnd_));
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TAboutBox::~TAboutBox() {
  if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
  if (font_ != nullptr) DeleteObject(font_);
  if (icon_ != nullptr) DestroyIcon(icon_);
}

void TAboutBox::ApplyDpi(int dpi) {
  const SIZE outer =
      OuterSize({Scaled(kClientSize.cx, dpi), Scaled(kClientSize.cy, dpi)}, kStyle, kExStyle, false, dpi);
  SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  HFONT oldFont = font_;
  const LOGFONTW font = ScaledFont(WindowLogFont(), dpi);
  font_ = CreateFontIndirectW(&font);
  for (const BoxChild& child : kChildren) {
    const RECT place = ScaledPlace(child.left, child.top, child.width, child.height, dpi);
    HWND window = this->*child.member;
    MoveWindow(window, place.left, place.top, place.right - place.left, place.bottom - place.top, TRUE);
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
  }
  if (oldFont != nullptr) DeleteObject(oldFont);

  // The icon drawn at the picture's size, not stretched from a smaller one.
  HICON oldIcon = icon_;
  const int iconSize = Scaled(39, dpi);
  icon_ = static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(KESTRILO_ICON), IMAGE_ICON, iconSize, iconSize, 0));
  SendMessageW(ProgramIcon, STM_SETICON, reinterpret_cast<WPARAM>(icon_), 0);
  if (oldIcon != nullptr) DestroyIcon(oldIcon);
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
    case WM_DPICHANGED:
      // The box keeps its place over the main window; only its size follows
      // the new scale.
      box->ApplyDpi(HIWORD(wParam));
      return 0;
    case WM_CTLCOLORSTATIC:
      SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace kestrilo::win32
