#pragma once
// What the engine keeps of each data row beyond its cells: the signature the
// extraction took it out under (the verification pass reads only rows of one
// signature against each other), and the facts of its file as the
// verification pass read it (the deletion commands rely on them to tell
// whether a partner is still the file that was found identical).
//
// The extraction forgets everything and notes the signatures; the
// verification pass starts afresh and records facts row by row; the deletion
// commands read them. Rows are grid rows (data rows from 1).

#include <cstdint>
#include <optional>
#include <vector>

#include "check/group_extraction.h"
#include "platform/file_system.h"

namespace kestrilo {

class CandidateFacts {
 public:
  void Forget();

  void NoteSignatures(const std::vector<CandidateRow>& rows);
  // Whether the signatures noted are those of `dataRows` rows (not so for a
  // grid that the extraction did not lay out).
  bool KnowsSignatures(int dataRows) const;
  std::uint32_t SignatureOf(int row) const { return rowSignature_[static_cast<std::size_t>(row) - 1]; }

  // Forgets the facts of a former pass, for a grid of `rowCount` rows.
  void StartVerification(int rowCount);
  void SetVerified(int row, std::optional<FileFacts> facts) { verified_[static_cast<std::size_t>(row)] = facts; }
  std::optional<FileFacts> Verified(int row) const;

 private:
  std::vector<std::uint32_t> rowSignature_;         // per data row
  std::vector<std::optional<FileFacts>> verified_;  // per grid row
};

}  // namespace kestrilo
