#include "platform/path_text.h"

namespace kestrilo {

// In UTF-8 every byte of a multi-byte character is 0x80 or above, so a byte
// equal to the separator is always a whole character and byte-wise searches
// are exact.

bool EndsWithSeparator(std::string_view text) {
  return !text.empty() && text.back() == kSeparator;
}

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

}  // namespace kestrilo
