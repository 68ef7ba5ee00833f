#pragma once
// Texts between the engine (UTF-8) and the wide functions of Win32 (UTF-16).

#include <string>
#include <string_view>

namespace kestrilo::win32 {

// A text for a wide function; bytes that are no UTF-8 show as U+FFFD.
std::wstring Wide(std::string_view text);

// A text from a wide function, as the engine keeps it.
std::string Utf8(std::wstring_view text);

}  // namespace kestrilo::win32
