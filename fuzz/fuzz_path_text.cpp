// Checks the laws that tie the path text helpers together, for any bytes.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/path_text.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestrilo;
  const std::string_view path(reinterpret_cast<const char*>(data), size);
  const bool hasSeparator = path.find(kSeparator) != std::string_view::npos;

  const SplitPath split = SplitAtLastSeparator(path);
  Require(split.hadSeparator == hasSeparator);
  Require(split.name.find(kSeparator) == std::string_view::npos);
  if (split.hadSeparator) {
    Require(JoinFolderAndName(split.folder, split.name) == path);
    Require(split.folder.size() + 1 + split.name.size() == path.size());
    Require(FolderPartWithSeparator(path) == std::string(split.folder) + kSeparator);
  } else {
    Require(split.folder.empty() && split.name == path);
    Require(FolderPartWithSeparator(path).empty());
  }
  Require(path.substr(0, FolderPartWithSeparator(path).size()) == FolderPartWithSeparator(path));

  const bool endsWith = !path.empty() && path.back() == kSeparator;
  Require(EndsWithSeparator(path) == endsWith);
  const std::string withSeparator = WithTrailingSeparator(path);
  Require(EndsWithSeparator(withSeparator));
  Require(withSeparator == (endsWith ? std::string(path) : std::string(path) + kSeparator));
  Require(FolderPartWithSeparator(withSeparator) == withSeparator);
  Require(SplitAtLastSeparator(withSeparator).name.empty());

  // Joining a folder and a name and splitting again gives both back, as long
  // as the name holds no separator.
  if (!split.hadSeparator) {
    const auto middle = path.size() / 2;
    const std::string joined = JoinFolderAndName(path.substr(0, middle), path.substr(middle));
    const SplitPath again = SplitAtLastSeparator(joined);
    Require(again.hadSeparator && again.folder == path.substr(0, middle) && again.name == path.substr(middle));
  }
  return 0;
}
