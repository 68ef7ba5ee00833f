#include "delete/duplicate_deletion.h"

#include <string>

#include "delete/bulk_pass.h"
#include "delete/deletion_texts.h"
#include "delete/grid_row.h"

namespace kestrilo {

DuplicateDeletion::DuplicateDeletion(Grid& grid, StatusPanels& status, FileSystem& fs, const DuplicateEngine& engine)
    : grid_(grid), status_(status), fs_(fs), engine_(engine) {}

std::optional<int> DuplicateDeletion::DeleteBelow(const std::string& folder, const StopRequest& stop) {
  return RunPass(BelowFolder(WithoutTrailingSeparators(folder)), stop);
}

std::optional<int> DuplicateDeletion::DeleteOnDrive(const std::string& folder, const StopRequest& stop) {
  const auto mount = fs_.MountOf(FolderPathOf(folder));
  if (!mount || mount->isNetwork) {
    status_.SetPanelText(1, texts::kNetworkDriveRefused);
    return std::nullopt;
  }
  return RunPass(OnDevice(fs_, mount->device), stop);
}

int DuplicateDeletion::RunPass(const FolderScope& inScope, const StopRequest& stop) {
  VerifiedRemoval removal(grid_, fs_, engine_, observer_);
  const int count = DelFiles(grid_, removal, inScope, stop);
  status_.SetPanelText(1, std::to_string(count) + texts::kFilesDeleted);
  return count;
}

}  // namespace kestrilo
