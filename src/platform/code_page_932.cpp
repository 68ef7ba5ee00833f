#include "platform/code_page_932.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <climits>

#include "platform/wide_text.h"

namespace kestrilo {

std::optional<std::string> ToCodePage932(std::string_view text) {
  if (text.empty()) return std::string();
  const auto wide = WidenUtf8(text);
  if (!wide || wide->size() > static_cast<std::size_t>(INT_MAX / 2)) return std::nullopt;
  const auto* units = reinterpret_cast<const wchar_t*>(wide->data());
  const int count = static_cast<int>(wide->size());
  constexpr UINT kCodePage = 932;
  BOOL usedDefault = FALSE;
  const int length =
      ::WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, units, count, nullptr, 0, nullptr, &usedDefault);
  if (length <= 0 || usedDefault) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, units, count, bytes.data(), length, nullptr, &usedDefault);
  if (usedDefault) return std::nullopt;
  return bytes;
}

}  // namespace kestrilo
