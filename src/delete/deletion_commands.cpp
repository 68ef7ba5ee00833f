#include "delete/deletion_commands.h"

#include <string>
#include <vector>

#include "delete/deletion_texts.h"
#include "delete/grid_row.h"
#include "delete/partner_scan.h"
#include "delete/verified_removal.h"

namespace kestrilo {

DeletionCommands::DeletionCommands(Grid& grid, StatusPanels& status, Dialogs& dialogs, FileSystem& fs,
                                   const DuplicateEngine& engine)
    : grid_(grid), status_(status), dialogs_(dialogs), fs_(fs), engine_(engine), bulk_(grid, status, fs, engine) {}

namespace {

// The group number of the current row; "" also when the current row is not a
// data row.
std::string CurrentGroup(const Grid& grid) {
  const int row = grid.Row();
  return IsDataRow(grid, row) ? GroupOf(grid, row) : std::string();
}

// The window's passes run on its own thread to the end: nobody can stop them.
const StopRequest kNeverStops;

}  // namespace

void DeletionCommands::Delete1Click() {
  const int row = grid_.Row();
  if (CurrentGroup(grid_).empty()) {
    status_.SetPanelText(1, texts::kNotDuplicate);
    return;
  }
  const std::vector<int> partners = PartnersOf(grid_, row);
  if (partners.empty()) {
    status_.SetPanelText(1, texts::kNoPartner);
    return;
  }
  if (!dialogs_.AskOkCancel(grid_.Cell(kNameColumn, row) + texts::kAskDeleteFile, texts::kConfirmCaption)) return;
  const std::string path = FullPathOf(grid_, row);
  VerifiedRemoval removal(grid_, fs_, engine_);
  status_.SetPanelText(1, path + (removal.Remove(row, partners) ? texts::kFileDeleted : texts::kFileNotDeleted));
}

void DeletionCommands::N4Click() {
  if (CurrentGroup(grid_).empty()) {
    status_.SetPanelText(1, texts::kNotDuplicate);
    return;
  }
  const std::string folder = grid_.Cell(kFolderColumn, grid_.Row());
  if (!dialogs_.AskOkCancel(FolderPathOf(folder) + texts::kAskDeleteBelowPath, texts::kConfirmCaption)) return;
  bulk_.DeleteBelow(folder, kNeverStops);
}

void DeletionCommands::A2Click() {
  if (CurrentGroup(grid_).empty()) {
    status_.SetPanelText(1, texts::kNotDuplicate);
    return;
  }
  const std::string folder = grid_.Cell(kFolderColumn, grid_.Row());
  const auto mount = fs_.MountOf(FolderPathOf(folder));
  if (!mount || mount->isNetwork) {
    status_.SetPanelText(1, texts::kNetworkDriveRefused);
    return;
  }
  if (!dialogs_.AskOkCancel(mount->mountPoint + texts::kAskDeleteOnDrive, texts::kConfirmCaption)) return;
  // The drive is looked up once more for the pass: the question may have
  // stood long enough for the mounts to change.
  bulk_.DeleteOnDrive(folder, kNeverStops);
}

}  // namespace kestrilo
