#pragma once
// Group extraction: hides the registered files that no longer exist, for good,
// and takes out every signature that still has two or more live paths as
// result rows, in the table's iteration order (a signature's rows together,
// in registration order), which the caller may then sort
// (CandidateRows::SortBySizeThenFolder).
//
// Call order: one GroupExtraction per duplicate check, TakeOut once. It
// changes the table it refers to (hiding vanished paths) and lists again only
// the folders that the stamps cannot vouch for; the rows it returns are the
// caller's.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "check/candidate_rows.h"
#include "check/folder_stamps.h"
#include "platform/file_system.h"
#include "store/signature_table.h"

namespace kestrilo {

class GroupExtraction {
 public:
  GroupExtraction(SignatureTable& table, const FolderStamps& stamps, FileSystem& fs, unsigned readerThreads);

  CandidateRows TakeOut();

 private:
  // One live (signature, path) pair in iteration order.
  void Consider(const std::string& signature, const std::string& path, std::optional<std::uint64_t> rest);
  void LayOut(const std::string& path, const std::string& signature, std::optional<std::uint64_t> rest);

  SignatureTable& table_;
  const FolderStamps& stamps_;
  FileSystem& fs_;
  unsigned readerThreads_;
  CandidateRows rows_;
  // The first path of the current signature, laid out only once a second
  // path shows that the signature has two.
  std::string heldSignature_;
  std::string heldPath_;
  std::optional<std::uint64_t> heldRest_;
  bool held_ = false;
  bool pending_ = false;
  std::uint32_t signatureIndex_ = 0;
};

}  // namespace kestrilo
