#include "win32/win32_dialogs.h"

#include <commdlg.h>
#include <shlobj.h>

#include <cstring>
#include <vector>

#include "win32/wide.h"

namespace kestrilo::win32 {

namespace {

// Room for a long path in the dialogs' buffers.
constexpr DWORD kPathChars = 32768;

int CALLBACK BrowseCallback(HWND chooser, UINT notification, LPARAM, LPARAM data) {
  if (notification == BFFM_INITIALIZED && data != 0) SendMessageW(chooser, BFFM_SETSELECTIONW, TRUE, data);
  return 0;
}

struct IdList {
  PIDLIST_ABSOLUTE items = nullptr;
  ~IdList() { CoTaskMemFree(items); }
};

}  // namespace

bool Win32Dialogs::AskOkCancel(const std::string& text, const std::string& caption) {
  return MessageBoxW(owner_, Wide(text).c_str(), Wide(caption).c_str(), MB_OKCANCEL) == IDOK;
}

std::optional<std::string> Win32Dialogs::ChooseFolder(const std::string& prompt) {
  IdList desktop;
  if (FAILED(SHGetSpecialFolderLocation(owner_, CSIDL_DESKTOP, &desktop.items))) return std::nullopt;
  std::vector<wchar_t> displayName(MAX_PATH);
  const std::wstring title = Wide(prompt);
  BROWSEINFOW info{};
  info.hwndOwner = owner_;
  info.pidlRoot = desktop.items;
  info.pszDisplayName = displayName.data();
  info.lpszTitle = title.c_str();
  info.ulFlags = 0;
  info.lpfn = BrowseCallback;
  info.lParam = lastFolder_.empty() ? 0 : reinterpret_cast<LPARAM>(lastFolder_.c_str());
  IdList chosen;
  chosen.items = SHBrowseForFolderW(&info);
  if (chosen.items == nullptr) return std::nullopt;
  std::vector<wchar_t> path(kPathChars);
  // A virtual folder (Control Panel, ...) has no file-system path.
  if (!SHGetPathFromIDListEx(chosen.items, path.data(), kPathChars, GPFIDL_DEFAULT)) return std::nullopt;
  lastFolder_ = path.data();
  return Utf8(lastFolder_);
}

std::optional<std::string> Win32Dialogs::ChooseOpenFile() {
  std::vector<wchar_t> file(kPathChars, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner_;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = kPathChars;
  dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  if (!GetOpenFileNameW(&dialog)) return std::nullopt;
  return Utf8(file.data());
}

std::optional<std::string> Win32Dialogs::ChooseSaveFile(const std::string& proposed) {
  std::vector<wchar_t> file(kPathChars, L'\0');
  const std::wstring initial = Wide(proposed);
  if (initial.size() < kPathChars) std::memcpy(file.data(), initial.c_str(), initial.size() * sizeof(wchar_t));
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner_;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = kPathChars;
  // The command asks about overwriting itself.
  dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  if (!GetSaveFileNameW(&dialog)) return std::nullopt;
  return Utf8(file.data());
}

void Win32Dialogs::SetClipboardText(const std::string& text) {
  const std::wstring wide = Wide(text);
  const std::size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (memory == nullptr) return;
  std::memcpy(GlobalLock(memory), wide.c_str(), bytes);
  GlobalUnlock(memory);
  if (!OpenClipboard(owner_)) {
    GlobalFree(memory);
    return;
  }
  EmptyClipboard();
  // On success the clipboard owns the memory.
  if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr) GlobalFree(memory);
  CloseClipboard();
}

}  // namespace kestrilo::win32
