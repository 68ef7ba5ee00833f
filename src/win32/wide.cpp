#include "win32/wide.h"

#include <windows.h>

#include "platform/wide_text.h"

namespace kestrilo::win32 {

std::wstring Wide(std::string_view text) {
  if (const auto exact = WidenUtf8(text)) return std::wstring(exact->begin(), exact->end());
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), length);
  return wide;
}

std::string Utf8(std::wstring_view text) {
  return NarrowToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

}  // namespace kestrilo::win32
