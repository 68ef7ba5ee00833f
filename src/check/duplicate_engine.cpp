#include "check/duplicate_engine.h"

namespace kestrilo {

DuplicateEngine::DuplicateEngine(SignatureTable& table, Grid& grid, StatusPanels& status, const JobSettings& settings,
                                 const StopRequest& stop, FileSystem& fs)
    : table_(table), grid_(grid), status_(status), settings_(settings), stop_(stop), fs_(fs) {}

std::optional<FileFacts> DuplicateEngine::VerifiedFacts(int row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= verified_.size()) return std::nullopt;
  return verified_[static_cast<std::size_t>(row)];
}

void DuplicateEngine::ForgetVerifiedFacts() {
  rowSignature_.clear();
  verified_.clear();
}

}  // namespace kestrilo
