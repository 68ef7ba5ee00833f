#include "window_fixture.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cstring>

#include "win32/wide.h"

namespace kestrilo::testing {

namespace {

AtGate* activeGate = nullptr;

}  // namespace

Win32WindowTest::Win32WindowTest() : form(dialogs, fs) {
  dialogs.system.SetOwner(form.Handle());
  form.Show();
  Pump();
}

void Win32WindowTest::Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) form.DispatchOne(message);
}

void Win32WindowTest::Post(HWND target, UINT message, WPARAM wParam, LPARAM lParam) {
  PostMessageW(target, message, wParam, lParam);
  Pump();
}

void Win32WindowTest::Drop(const std::vector<std::string>& paths) {
  std::wstring list;
  for (const std::string& path : paths) {
    list += win32::Wide(path);
    list += L'\0';
  }
  list += L'\0';
  const std::size_t bytes = list.size() * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + bytes);
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(), bytes);
  GlobalUnlock(memory);
  Post(form.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory));
}

void Win32WindowTest::ClickGridRow(int row) {
  const int y = form.Grid().RowHeight() * row + form.Grid().RowHeight() / 2;
  Post(form.StringGrid1, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, y));
  Post(form.StringGrid1, WM_LBUTTONUP, 0, MAKELPARAM(50, y));
}

std::string Win32WindowTest::Panel(int panel) const {
  const auto length = LOWORD(SendMessageW(form.StatusBar1, SB_GETTEXTLENGTHW, static_cast<WPARAM>(panel), 0));
  std::wstring text(length + 1u, L'\0');
  SendMessageW(form.StatusBar1, SB_GETTEXTW, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(text.data()));
  text.resize(length);
  return win32::Utf8(text);
}

std::string Win32WindowTest::Caption(HWND control) const {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return win32::Utf8(text);
}

std::vector<bool> Win32WindowTest::RunningStateControls() const {
  std::vector<bool> enabled;
  for (UINT menu = 0; menu < 3; ++menu) {
    enabled.push_back((GetMenuState(form.MainMenu1, menu, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED)) == 0);
  }
  for (HWND control :
       {form.FileAdd, form.FilterText, form.QuickCheck, form.InitInfo, form.StringGrid1, form.SortFlag}) {
    enabled.push_back(IsWindowEnabled(control) != FALSE);
  }
  return enabled;
}

std::vector<GridRow> Win32WindowTest::DataRows() const {
  std::vector<GridRow> rows;
  for (int row = 1; row < form.Cells().RowCount() - 1; ++row) rows.push_back(form.Cells().Rows(row));
  return rows;
}

std::string Win32WindowTest::ClipboardText() const {
  std::string text;
  if (!OpenClipboard(form.Handle())) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    text = win32::Utf8(static_cast<const wchar_t*>(GlobalLock(data)));
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

std::string Win32WindowTest::WriteThree(const std::string& folder) {
  tree.Write(folder + "/a.txt", "same!");
  tree.Write(folder + "/b.txt", "same!");
  tree.Write(folder + "/c.txt", "other");
  return tree.Path(folder);
}

void Win32WindowTest::AddFolder(const std::string& folder) {
  dialogs.script.folders.push_back(folder);
  Click(form.FileAdd);
}

AtGate::AtGate(Gate& gate, std::function<void()> action) : gate_(gate), action_(std::move(action)) {
  activeGate = this;
  timer_ = SetTimer(nullptr, 0, 5, &AtGate::Tick);
}

AtGate::~AtGate() {
  KillTimer(nullptr, timer_);
  gate_.Open();
  activeGate = nullptr;
}

void CALLBACK AtGate::Tick(HWND, UINT, UINT_PTR, DWORD) {
  AtGate* gate = activeGate;
  if (gate == nullptr || gate->done_ || !gate->gate_.Reached()) return;
  gate->done_ = true;
  gate->action_();
  gate->gate_.Open();
}

}  // namespace kestrilo::testing
