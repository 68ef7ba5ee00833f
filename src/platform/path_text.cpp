#include "platform/path_text.h"

namespace kestrilo {

// Windows texts are UTF-8 as well (the platform layer converts at the
// system's boundary), so the same holds there.
//
// In UTF-8 every byte of a multi-byte character is 0x80 or above, so a byte
// equal to the separator is always a whole character and byte-wise searches
// are exact.

bool EndsWithSeparator(std::string_view text) { return !text.empty() && text.back() == kSeparator; }

std::string WithTrailingSeparator(std::string_view folder) {
  std::string result(folder);
  if (!EndsWithSeparator(folder)) result.push_back(kSeparator);
  return result;
}

std::string_view FolderPartWithSeparator(std::string_view path) {
  const auto at = path.rfind(kSeparator);
  return at == std::string_view::npos ? std::string_view() : path.substr(0, at + 1);
}

SplitPath SplitAtLastSeparator(std::string_view path) {
  const auto at = path.rfind(kSeparator);
  if (at == std::string_view::npos) return {std::string_view(), path, false};
  return {path.substr(0, at), path.substr(at + 1), true};
}

std::string JoinFolderAndName(std::string_view folder, std::string_view name) {
  std::string path;
  path.reserve(folder.size() + 1 + name.size());
  path.append(folder);
  path.push_back(kSeparator);
  path.append(name);
  return path;
}

namespace {

[[maybe_unused]] bool IsDriveLetterAndColon(std::string_view text) {
  if (text.size() < 2 || text[1] != ':') return false;
  const char letter = text[0];
  return (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z');
}

}  // namespace

std::string FolderCellAsPath(std::string_view folderCell) {
#ifdef _WIN32
  const bool root = folderCell.size() == 2 && IsDriveLetterAndColon(folderCell);
#else
  const bool root = folderCell.empty();
#endif
  return root ? WithTrailingSeparator(folderCell) : std::string(folderCell);
}

bool IsAbsolutePath(std::string_view path) {
#ifdef _WIN32
  if (path.starts_with("\\\\")) return true;
  return IsDriveLetterAndColon(path) && path.size() > 2 && (path[2] == '\\' || path[2] == '/');
#else
  return path.starts_with('/');
#endif
}

}  // namespace kestrilo
