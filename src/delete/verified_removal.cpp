#include "delete/verified_removal.h"

#include <cerrno>
#include <utility>

#include "fingerprint/compare_files.h"

namespace kestrilo {

VerifiedRemoval::VerifiedRemoval(ResultSet& results, FileSystem& fs, RemovalObserver observer, FailureObserver failed)
    : results_(results), fs_(fs), observer_(std::move(observer)), failed_(std::move(failed)) {}

bool VerifiedRemoval::Remove(int row, std::span<const int> partners) {
  const std::string path = results_.PathOf(row);
  return fs_.HoldsRemovals() ? RemoveHeld(row, partners, path) : RemoveByPath(row, partners, path);
}

bool VerifiedRemoval::RemoveByPath(int row, std::span<const int> partners, const std::string& path) {
  const auto file = fs_.Examine(path, false);
  if (!file) return Failed(row, RemovalFailure::Gone);
  if (file->kind != EntryKind::File) return Failed(row, RemovalFailure::NotAFile);
  for (const int partner : partners) {
    if (!HoldsContentOf(partner, row, *file, path)) continue;
    if (!fs_.Unlink(path)) return Failed(row, RemovalFailureOf(errno));
    return Removed(row, partner);
  }
  return Failed(row, RemovalFailure::NoCopy);
}

bool VerifiedRemoval::RemoveHeld(int row, std::span<const int> partners, const std::string& path) {
  FileHandle file = fs_.OpenToRemove(path);
  if (!file.IsOpen()) return Failed(row, RemovalFailureOf(errno));
  const auto facts = file.OpenedFacts();
  if (!facts) return Failed(row, RemovalFailure::Other);
  for (const int partner : partners) {
    const FileHandle copy = fs_.OpenToKeep(results_.PathOf(partner));
    const auto copyFacts = copy.OpenedFacts();
    if (!copyFacts || copyFacts->id == facts->id) continue;
    // Neither can change while both are open: what the verification pass
    // read, or what is read now, holds until the removal.
    const bool vouched = UnchangedSinceVerified(row, *facts) && UnchangedSinceVerified(partner, *copyFacts);
    if (!vouched && (!file.Rewind() || CompareOpenFiles(file, copy) != 0)) continue;
    if (!fs_.RemoveOpen(file, path)) return Failed(row, RemovalFailureOf(errno));
    // Closed while the copy is still held: a removal that waits for the
    // handle to close is done before anyone can touch the copy.
    file = FileHandle();
    return Removed(row, partner);
  }
  return Failed(row, RemovalFailure::NoCopy);
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

bool VerifiedRemoval::Removed(int row, int partner) {
  if (observer_) observer_(row, partner);
  results_.MarkDeleted(row);
  return true;
}

bool VerifiedRemoval::Failed(int row, RemovalFailure why) {
  if (failed_) failed_(row, why);
  return false;
}

RemovalFailure RemovalFailureOf(int error) {
  switch (error) {
    case ENOENT:
      return RemovalFailure::Gone;
    case EBUSY:
    case ETXTBSY:
      return RemovalFailure::InUse;
    case EROFS:
      return RemovalFailure::ReadOnly;
    case EACCES:
    case EPERM:
      return RemovalFailure::Denied;
    default:
      return RemovalFailure::Other;
  }
}

}  // namespace kestrilo
