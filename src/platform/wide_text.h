#pragma once
// UTF-8 <-> UTF-16 for the wide functions of Windows. The engine's texts stay
// UTF-8; these are used only where a text crosses into or out of the system.
// A file name on NTFS can hold a lone surrogate, which is no UTF-16 character:
// it is carried through as its three-byte generalised UTF-8 form, so that
// every name the system lists can be opened and removed again.

#include <optional>
#include <string>
#include <string_view>

namespace kestrilo {

// Nothing when `text` is no (generalised) UTF-8.
std::optional<std::u16string> WidenUtf8(std::string_view text);

std::string NarrowToUtf8(std::u16string_view text);

}  // namespace kestrilo
