// Drives a running kestrilo.exe from outside, as a user would, for the
// screenshot of the documentation: adds each file named on the command line
// through "ファイルを追加(&F)..." (typing its path into the open dialog), runs a
// duplicate check with "調査開始", moves to the third row, and then creates
// READY_FILE.
//
// Usage: win32_screenshot_driver READY_FILE KESTRILO_EXE FILE...

#include <windows.h>

#include <cstdio>
#include <string>

#include "win32/command_ids.h"

namespace {

using namespace kestrilo::win32;

constexpr DWORD kTimeoutMs = 60000;
// The open dialog's file-name box and the edit inside it.
constexpr int kFileNameCombo = 1148;
constexpr int kFileNameEdit = 1152;

template <typename Predicate>
bool WaitFor(Predicate done) {
  for (DWORD waited = 0; waited < kTimeoutMs; waited += 50) {
    if (done()) return true;
    Sleep(50);
  }
  return false;
}

std::wstring TextOf(HWND window) {
  wchar_t text[256] = {};
  SendMessageTimeoutW(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 1000, nullptr);
  return text;
}

struct DialogSearch {
  HWND owner;
  HWND found;
};

BOOL CALLBACK FindOwnedDialog(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<DialogSearch*>(data);
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (std::wstring(className) == L"#32770" && GetWindow(window, GW_OWNER) == search->owner && IsWindowVisible(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND OwnedDialog(HWND owner) {
  DialogSearch search{owner, nullptr};
  EnumWindows(FindOwnedDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FileNameEdit(HWND dialog) {
  if (HWND combo = GetDlgItem(dialog, kFileNameCombo)) {
    if (HWND edit = FindWindowExW(combo, nullptr, L"Edit", nullptr)) return edit;
    return combo;
  }
  return GetDlgItem(dialog, kFileNameEdit);
}

int Fail(const char* what) {
  std::fprintf(stderr, "screenshot driver: %s\n", what);
  return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) return Fail("usage: win32_screenshot_driver READY_FILE KESTRILO_EXE FILE...");
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::wstring command = std::wstring(L"\"") + argv[2] + L"\"";
  if (!CreateProcessW(argv[2], command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return Fail("cannot start kestrilo.exe");
  }
  HWND main = nullptr;
  if (!WaitFor([&] { return (main = FindWindowW(L"TForm1", L"Kestrilo")) != nullptr && IsWindowVisible(main); })) {
    return Fail("no main window");
  }
  HWND panel = GetDlgItem(main, kPanel1Id);
  HWND checkStart = GetDlgItem(panel, kCheckStartId);
  const auto idle = [&] { return TextOf(checkStart) == L"調査開始" && OwnedDialog(main) == nullptr; };

  for (int file = 3; file < argc; ++file) {
    PostMessageW(main, WM_COMMAND, kF1Id, 0);
    HWND dialog = nullptr;
    if (!WaitFor([&] { return (dialog = OwnedDialog(main)) != nullptr; })) return Fail("no open dialog");
    Sleep(300);
    SendMessageW(FileNameEdit(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[file]));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    if (!WaitFor([&] { return OwnedDialog(main) == nullptr; })) return Fail("the open dialog stays");
    Sleep(200);
    if (!WaitFor(idle)) return Fail("the walk does not end");
  }

  PostMessageW(checkStart, BM_CLICK, 0, 0);
  Sleep(500);
  if (!WaitFor(idle)) return Fail("the duplicate check does not end");
  // By keys: a click would clear the message panel.
  HWND grid = GetDlgItem(main, kStringGrid1Id);
  for (int row = 1; row < 3; ++row) PostMessageW(grid, WM_KEYDOWN, VK_DOWN, 1);
  Sleep(1000);
  HANDLE ready = CreateFileW(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (ready == INVALID_HANDLE_VALUE) return Fail("cannot create the ready file");
  CloseHandle(ready);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return 0;
}
