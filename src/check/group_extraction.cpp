// Group extraction: hides registered files that no longer exist, lays out
// every signature with two or more live paths as result rows (in the table's
// iteration order), and sorts them by size descending, then folder ascending,
// keeping extraction order among equals.

#include <algorithm>
#include <charconv>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

#include "check/duplicate_engine.h"
#include "check/existence_by_folder.h"
#include "check/task_pool.h"
#include "platform/path_text.h"

namespace kestrilo {

namespace {

constexpr std::size_t kSignatureDigits = 32;

// The size that follows the digest in a signature.
std::uint64_t SizeOf(const std::string& signature) {
  std::uint64_t value = 0;
  if (signature.size() > kSignatureDigits) {
    std::from_chars(signature.data() + kSignatureDigits, signature.data() + signature.size(), value);
  }
  return value;
}

}  // namespace

int DuplicateEngine::TakeOutCheckFiles() {
  results_.Clear();

  // Extraction: a signature with a single live path yields no row.
  std::vector<ResultRow> rows;
  std::string heldSignature;
  std::string heldPath;
  bool pending = false;
  std::uint32_t signatureIndex = 0;
  auto layOut = [&](const std::string& filePath, const std::string& fileSignature) {
    const SplitPath split = SplitAtLastSeparator(filePath);
    ResultRow row;
    row.folder = std::string(split.folder);
    row.name = std::string(split.name);
    row.size = SizeOf(fileSignature);
    row.signature = signatureIndex;
    rows.push_back(std::move(row));
  };
  {
    // Clean-up and extraction in one pass over the table: a path that no
    // longer exists is hidden for good and takes no part in the extraction,
    // exactly as when all vanished paths are hidden first.
    ExistenceByFolder existence(fs_, EffectiveThreads(readerThreads_));
    std::string signature;
    std::string path;
    for (int restart = 0; table_.NextHash(restart, signature, path) == 0; restart = 1) existence.Expect(path);
    existence.ListFolders();

    bool first = true;
    std::size_t index = 0;
    for (int restart = 0; table_.NextHash(restart, signature, path) == 0; restart = 1) {
      if (!existence.Exists(index++, path)) {
        table_.RemoveHash(signature, path);
        continue;
      }
      if (first || signature != heldSignature) {
        if (!first) ++signatureIndex;
        first = false;
        heldSignature = signature;
        heldPath = path;
        pending = true;
        continue;
      }
      if (pending) {
        layOut(heldPath, heldSignature);
        pending = false;
      }
      layOut(path, signature);
    }
  }

  if (settings_.SortFlag() && rows.size() >= 2 && !stop_.IsSet()) {
    std::stable_sort(rows.begin(), rows.end(), [](const ResultRow& a, const ResultRow& b) {
      if (a.size != b.size) return a.size > b.size;
      return a.folder < b.folder;
    });
  }

  const int count = static_cast<int>(rows.size());
  results_.Replace(std::move(rows));
  return count;
}

}  // namespace kestrilo
