#include "delete/verified_removal.h"

#include <utility>

#include "fingerprint/compare_files.h"

namespace kestrilo {

VerifiedRemoval::VerifiedRemoval(ResultSet& results, FileSystem& fs, RemovalObserver observer)
    : results_(results), fs_(fs), observer_(std::move(observer)) {}

bool VerifiedRemoval::Remove(int row, std::span<const int> partners) {
  const std::string path = results_.PathOf(row);
  const auto file = fs_.Examine(path, false);
  if (!file || file->kind != EntryKind::File) return false;
  for (const int partner : partners) {
    if (!HoldsContentOf(partner, row, *file, path)) continue;
    if (!fs_.Unlink(path)) return false;
    if (observer_) observer_(row, partner);
    results_.MarkDeleted(row);
    return true;
  }
  return false;
}

bool VerifiedRemoval::HoldsContentOf(int partner, int row, const FileFacts& file, const std::string& path) {
  const std::string partnerPath = results_.PathOf(partner);
  const auto copy = fs_.Examine(partnerPath, false);
  if (!copy || copy->kind != EntryKind::File || copy->id == file.id) return false;
  // The verification pass found both identical to their group's first file;
  // untouched since, they still are, and need not be read again.
  if (UnchangedSinceVerified(row, file) && UnchangedSinceVerified(partner, *copy)) return true;
  if (CompareFiles(fs_, path, partnerPath) != 0) return false;
  // The comparison opened the paths afresh; make sure they still name the
  // files examined above, so a swap in between cannot pass for a copy.
  return fs_.Examine(path, false) == file && fs_.Examine(partnerPath, false) == copy;
}

bool VerifiedRemoval::UnchangedSinceVerified(int row, const FileFacts& now) const {
  const auto then = results_.VerifiedFacts(row);
  return then && *then == now;
}

}  // namespace kestrilo
