#include "check/group_extraction.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "check/existence_by_folder.h"
#include "platform/path_text.h"

namespace kestrilo {

namespace {

constexpr std::size_t kSignatureDigits = 32;

std::uint32_t SizeOf(const std::string& sizeText) {
  std::uint32_t value = 0;
  std::from_chars(sizeText.data(), sizeText.data() + sizeText.size(), value);
  return value;
}

}  // namespace

GroupExtraction::GroupExtraction(SignatureTable& table, FileSystem& fs, unsigned readerThreads)
    : table_(table), fs_(fs), readerThreads_(readerThreads) {}

std::vector<CandidateRow> GroupExtraction::TakeOut() {
  // Clean-up and extraction in one pass over the table: a path that no longer
  // exists is hidden for good and takes no part in the extraction, exactly as
  // when all vanished paths are hidden first.
  ExistenceByFolder existence(fs_, readerThreads_);
  std::string signature;
  std::string path;
  for (int restart = 0; table_.NextHash(restart, signature, path) == 0; restart = 1) existence.Expect(path);
  existence.ListFolders();

  std::size_t index = 0;
  for (int restart = 0; table_.NextHash(restart, signature, path) == 0; restart = 1) {
    if (existence.Exists(index++, path)) {
      Consider(signature, path);
    } else {
      table_.RemoveHash(signature, path);
    }
  }
  return std::move(rows_);
}

void GroupExtraction::Consider(const std::string& signature, const std::string& path) {
  // A signature with a single live path yields no row.
  if (!held_ || signature != heldSignature_) {
    if (held_) ++signatureIndex_;
    held_ = true;
    heldSignature_ = signature;
    heldPath_ = path;
    pending_ = true;
    return;
  }
  if (pending_) {
    LayOut(heldPath_, heldSignature_);
    pending_ = false;
  }
  LayOut(path, signature);
}

void GroupExtraction::LayOut(const std::string& path, const std::string& signature) {
  const SplitPath split = SplitAtLastSeparator(path);
  CandidateRow row;
  row.name = std::string(split.name);
  row.sizeText = signature.size() > kSignatureDigits ? signature.substr(kSignatureDigits) : std::string();
  row.folder = std::string(split.folder);
  row.size = SizeOf(row.sizeText);
  row.signatureIndex = signatureIndex_;
  rows_.push_back(std::move(row));
}

void SortCandidates(std::vector<CandidateRow>& rows) {
  std::stable_sort(rows.begin(), rows.end(), [](const CandidateRow& a, const CandidateRow& b) {
    if (a.size != b.size) return a.size > b.size;
    return a.folder < b.folder;
  });
}

}  // namespace kestrilo
