#include "delete/duplicate_deletion.h"

#include <utility>

#include "delete/bulk_pass.h"
#include "delete/deletion_scope.h"
#include "delete/deletion_texts.h"
#include "platform/path_text.h"

namespace kestrilo {

namespace {

// One bulk pass over the rows in scope, reported by its count in panel 1.
int RunPass(const ResultSet& results, StatusPanels& status, VerifiedRemoval removal, const FolderScope& inScope,
            const StopRequest& stop) {
  const int count = DelFiles(results, removal, inScope, stop);
  status.SetPanelText(1, std::to_string(count) + texts::kFilesDeleted);
  return count;
}

}  // namespace

DuplicateDeletion::DuplicateDeletion(ResultSet& results, StatusPanels& status, FileSystem& fs)
    : results_(results), status_(status), fs_(fs) {}

std::optional<int> DuplicateDeletion::DeleteBelow(const std::string& folder, const StopRequest& stop) {
  return RunPass(results_, status_, Removal(), BelowFolder(WithoutTrailingSeparators(folder)), stop);
}

VerifiedRemoval DuplicateDeletion::Removal() { return VerifiedRemoval(results_, fs_, observer_, failed_); }

std::optional<FileSystem::MountInfo> DuplicateDeletion::AcceptableMountOf(const std::string& folder) {
  auto mount = fs_.MountOf(FolderCellAsPath(folder));
  if (!mount || mount->isNetwork) {
    status_.SetPanelText(1, texts::kNetworkDriveRefused);
    return std::nullopt;
  }
  return mount;
}

int DuplicateDeletion::DeleteOnMount(const FileSystem::MountInfo& mount, const StopRequest& stop) {
  return RunPass(results_, status_, Removal(), OnDevice(fs_, mount.device), stop);
}

std::optional<int> DuplicateDeletion::DeleteOnDrive(const std::string& folder, const StopRequest& stop) {
  const auto mount = AcceptableMountOf(folder);
  if (!mount) return std::nullopt;
  return DeleteOnMount(*mount, stop);
}

}  // namespace kestrilo
