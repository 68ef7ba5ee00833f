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
#include "check/parallel_for.h"
#include "check/task_pool.h"
#include "platform/path_text.h"

namespace kestrilo {

namespace {

constexpr std::size_t kSignatureDigits = 32;
constexpr std::size_t kExistenceChunk = 8192;

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

  // Clean-up: the existence tests run in parallel a chunk at a time; the
  // removals follow in iteration order.
  const unsigned threads = EffectiveThreads(readerThreads_);
  std::vector<std::pair<std::string, std::string>> chunk;
  std::vector<char> exists;
  auto sweep = [&] {
    exists.assign(chunk.size(), 1);
    ParallelFor(chunk.size(), threads, [&](std::size_t i) { exists[i] = fs_.Exists(chunk[i].second) ? 1 : 0; });
    for (std::size_t i = 0; i < chunk.size(); ++i) {
      if (!exists[i] && table_.RemoveHash(chunk[i].first, chunk[i].second) != 0) break;
    }
    chunk.clear();
  };
  std::string signature;
  std::string path;
  for (int restart = 0; table_.NextHash(restart, signature, path) == 0; restart = 1) {
    chunk.emplace_back(std::move(signature), std::move(path));
    if (chunk.size() == kExistenceChunk) sweep();
  }
  sweep();

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
  for (int restart = 0; table_.NextHash(restart, signature, path) == 0; restart = 1) {
    if (restart == 0 || signature != heldSignature) {
      if (restart != 0) ++signatureIndex;
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
