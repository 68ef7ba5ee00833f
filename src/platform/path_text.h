#pragma once
// Character-aware helpers for path texts. Paths are byte strings exactly as the
// system hands them; these are the only places that know what a separator is,
// so a code page whose double-byte characters can contain the separator byte
// only needs this file replaced.

#include <string>
#include <string_view>

namespace kestrilo {

#ifdef _WIN32
inline constexpr char kSeparator = '\\';
#else
inline constexpr char kSeparator = '/';
#endif

// True when the last whole character of `text` is the separator.
bool EndsWithSeparator(std::string_view text);

// `folder` with one separator appended unless it already ends with one.
std::string WithTrailingSeparator(std::string_view folder);

// Everything up to and including the last separator ("" when there is none).
std::string_view FolderPartWithSeparator(std::string_view path);

// Split at the last separator: folder without its trailing separator, and name.
// "/a/b.txt" -> ("/a", "b.txt"); "/b.txt" -> ("", "b.txt"); "b.txt" -> ("", "b.txt");
// "/a/" -> ("/a", ""). When hadSeparator, JoinFolderAndName(folder, name) gives
// the path back byte for byte.
struct SplitPath {
  std::string_view folder;
  std::string_view name;
  bool hadSeparator = false;
};
SplitPath SplitAtLastSeparator(std::string_view path);

// Full path of a grid row: folder + separator + name.
std::string JoinFolderAndName(std::string_view folder, std::string_view name);

// A folder cell (no trailing separator) as a path that names the folder: the
// root's cell "" is "/" on POSIX, a drive's root cell "C:" is "C:\" on Windows.
std::string FolderCellAsPath(std::string_view folderCell);

// "/..." on POSIX; "C:\..." (either separator) or "\\..." on Windows.
bool IsAbsolutePath(std::string_view path);

}  // namespace kestrilo
