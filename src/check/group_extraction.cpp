// Group extraction: hides registered files that no longer exist, lays out
// every signature with two or more live paths as grid rows (in the table's
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

std::uint32_t SizeOf(const std::string& sizeText) {
  std::uint32_t value = 0;
  std::from_chars(sizeText.data(), sizeText.data() + sizeText.size(), value);
  return value;
}

struct Candidate {
  GridRow cells;
  std::uint32_t signatureIndex = 0;
  std::uint32_t size = 0;
};

}  // namespace

int DuplicateEngine::TakeOutCheckFiles() {
  grid_.SetRow(1);
  grid_.SetRowCount(2);
  grid_.SetRows(1, GridRow{});
  rowSignature_.clear();
  verified_.clear();

  // Extraction: a signature with a single live path yields no row.
  std::vector<Candidate> rows;
  std::string heldSignature;
  std::string heldPath;
  bool pending = false;
  std::uint32_t signatureIndex = 0;
  auto layOut = [&](const std::string& filePath, const std::string& fileSignature) {
    const SplitPath split = SplitAtLastSeparator(filePath);
    Candidate row;
    row.cells[1] = std::string(split.name);
    row.cells[2] = fileSignature.size() > kSignatureDigits ? fileSignature.substr(kSignatureDigits) : std::string();
    row.cells[3] = std::string(split.folder);
    row.signatureIndex = signatureIndex;
    row.size = SizeOf(row.cells[2]);
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
    std::stable_sort(rows.begin(), rows.end(), [](const Candidate& a, const Candidate& b) {
      if (a.size != b.size) return a.size > b.size;
      return a.cells[3] < b.cells[3];
    });
  }

  const int count = static_cast<int>(rows.size());
  grid_.SetRowCount(count + 2);
  rowSignature_.reserve(rows.size());
  for (int i = 0; i < count; ++i) {
    rowSignature_.push_back(rows[static_cast<std::size_t>(i)].signatureIndex);
    grid_.SetRows(i + 1, std::move(rows[static_cast<std::size_t>(i)].cells));
  }
  grid_.SetRows(count + 1, GridRow{});
  return count;
}

}  // namespace kestrilo
