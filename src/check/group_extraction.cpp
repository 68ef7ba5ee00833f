#include "check/group_extraction.h"

#include <charconv>
#include <utility>

#include "check/existence_by_folder.h"
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

GroupExtraction::GroupExtraction(SignatureTable& table, const FolderStamps& stamps, FileSystem& fs,
                                 unsigned readerThreads)
    : table_(table), stamps_(stamps), fs_(fs), readerThreads_(readerThreads) {}

CandidateRows GroupExtraction::TakeOut() {
  // Clean-up and extraction in one pass over the table: a path that no longer
  // exists is hidden for good and takes no part in the extraction, exactly as
  // when all vanished paths are hidden first.
  ExistenceByFolder existence(fs_, readerThreads_);
  // A table text ends at the last "/" or "\\" of its paths, the folder at the
  // last separator of this system's; it is within the text.
  for (std::size_t number = 0; number < table_.FolderCount(); ++number) {
    const std::string_view folder = FolderPartWithSeparator(table_.FolderText(number));
    existence.Expect(folder, stamps_.Vouching(folder));
  }
  existence.ListFolders();

  // Room for every file, written only as far as rows are laid out: growing
  // the rows instead would hold their old and new copies at once.
  rows_.Reserve(static_cast<std::size_t>(table_.GetFileCount()));
  std::string signature;
  std::string path;
  std::optional<std::uint64_t> rest;
  for (int restart = 0; table_.NextHash(restart, signature, path, rest) == 0; restart = 1) {
    if (existence.Exists(path)) {
      Consider(signature, path, rest);
    } else {
      table_.RemoveHash(signature, path);
    }
  }
  return std::move(rows_);
}

void GroupExtraction::Consider(const std::string& signature, const std::string& path,
                               std::optional<std::uint64_t> rest) {
  // A signature with a single live path yields no row.
  if (!held_ || signature != heldSignature_) {
    if (held_) ++signatureIndex_;
    held_ = true;
    heldSignature_ = signature;
    heldPath_ = path;
    heldRest_ = rest;
    pending_ = true;
    return;
  }
  if (pending_) {
    LayOut(heldPath_, heldSignature_, heldRest_);
    pending_ = false;
  }
  LayOut(path, signature, rest);
}

void GroupExtraction::LayOut(const std::string& path, const std::string& signature, std::optional<std::uint64_t> rest) {
  const SplitPath split = SplitAtLastSeparator(path);
  rows_.Add(split.folder, split.name, SizeOf(signature), signatureIndex_, rest);
}

}  // namespace kestrilo
