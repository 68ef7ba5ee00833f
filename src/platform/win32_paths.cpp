#include "platform/win32_paths.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <vector>

#include "platform/wide_text.h"

namespace kestrilo {

std::wstring SystemPath(std::string_view path) {
  const auto wide = WidenUtf8(path);
  if (!wide || wide->empty()) return std::wstring();
  std::wstring text(wide->begin(), wide->end());
  if (text.starts_with(L"\\\\?\\") || text.starts_with(L"\\\\.\\")) return text;
  for (auto& c : text) {
    if (c == L'/') c = L'\\';
  }
  if (text.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + text.substr(2);
  const bool driveAbsolute = text.size() >= 3 && text[1] == L':' && text[2] == L'\\' &&
                             ((text[0] >= L'A' && text[0] <= L'Z') || (text[0] >= L'a' && text[0] <= L'z'));
  return driveAbsolute ? L"\\\\?\\" + text : text;
}

std::string Utf8OfWide(std::wstring_view text) {
  return NarrowToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

std::string FullPathOf(const std::string& path) {
  const auto wide = WidenUtf8(path);
  if (!wide || wide->empty()) return path;
  const std::wstring text(wide->begin(), wide->end());
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = ::GetFullPathNameW(text.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (length == 0) return path;
    if (length < buffer.size()) return Utf8OfWide(std::wstring_view(buffer.data(), length));
    buffer.resize(length);
  }
}

}  // namespace kestrilo
