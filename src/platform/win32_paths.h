#pragma once
// Paths at the boundary of the wide Win32 functions (Windows only). The
// engine's paths are UTF-8 with `\` separators; the system gets UTF-16 in the
// `\\?\` form, so that paths longer than MAX_PATH and names with trailing
// dots or blanks work like any other.

#include <string>
#include <string_view>

namespace kestrilo {

// `path` for the wide functions; empty when it is no UTF-8. Absolute paths
// (C:\..., \\server\share\...) get the `\\?\` form, relative ones stay as
// they are; `/` is taken as `\`, as the system itself does.
std::wstring SystemPath(std::string_view path);

// A text of the system, as UTF-8.
std::string Utf8OfWide(std::wstring_view text);

// `path` made absolute and normalised by the system (GetFullPathNameW):
// "." and ".." resolved, `/` turned into `\`. `path` unchanged when that
// fails.
std::string FullPathOf(const std::string& path);

}  // namespace kestrilo
