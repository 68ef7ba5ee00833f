#include "check/candidate_facts.h"

namespace kestrilo {

void CandidateFacts::Forget() {
  rowSignature_.clear();
  verified_.clear();
}

void CandidateFacts::NoteSignatures(const std::vector<CandidateRow>& rows) {
  rowSignature_.reserve(rows.size());
  for (const CandidateRow& row : rows) rowSignature_.push_back(row.signatureIndex);
}

bool CandidateFacts::KnowsSignatures(int dataRows) const {
  return rowSignature_.size() == static_cast<std::size_t>(dataRows > 0 ? dataRows : 0);
}

void CandidateFacts::StartVerification(int rowCount) {
  verified_.assign(static_cast<std::size_t>(rowCount > 0 ? rowCount : 0), std::nullopt);
}

std::optional<FileFacts> CandidateFacts::Verified(int row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= verified_.size()) return std::nullopt;
  return verified_[static_cast<std::size_t>(row)];
}

}  // namespace kestrilo
