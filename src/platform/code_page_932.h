#pragma once
// Code page 932 (Shift-JIS as Windows writes it), the text of the report
// that Japanese users' programs open without being told an encoding.
// Windows only.

#include <optional>
#include <string>
#include <string_view>

namespace kestrilo {

// `text` (UTF-8) in code page 932; nothing when a character has no exact form
// there (nothing is ever replaced by a look-alike or a question mark).
std::optional<std::string> ToCodePage932(std::string_view text);

}  // namespace kestrilo
