#include "delete/deletion_commands.h"

#include <string>
#include <vector>

#include "delete/deletion_texts.h"
#include "delete/partner_scan.h"
#include "platform/path_text.h"

namespace kestrilo {

namespace {

// The window's passes run on its own thread to the end: nobody can stop them.
const StopRequest kNeverStops;

}  // namespace

DeletionCommands::DeletionCommands(const Grid& grid, ResultSet& results, StatusPanels& status, Dialogs& dialogs,
                                   FileSystem& fs)
    : grid_(grid), results_(results), status_(status), dialogs_(dialogs), fs_(fs), bulk_(results, status, fs) {}

void DeletionCommands::SetRemovalObserver(RemovalObserver observer) {
  bulk_.SetRemovalObserver(observer);
  observer_ = std::move(observer);
}

void DeletionCommands::Delete1Click() {
  const int row = grid_.Row();
  if (results_.GroupOf(row) == 0) {
    status_.SetPanelText(1, texts::kNotDuplicate);
    return;
  }
  const std::vector<int> partners = PartnersOf(results_, row);
  if (partners.empty()) {
    status_.SetPanelText(1, texts::kNoPartner);
    return;
  }
  if (!dialogs_.AskOkCancel(results_.NameOf(row) + texts::kAskDeleteFile, texts::kConfirmCaption)) return;
  const std::string path = results_.PathOf(row);
  VerifiedRemoval removal(results_, fs_, observer_);
  status_.SetPanelText(1, path + (removal.Remove(row, partners) ? texts::kFileDeleted : texts::kFileNotDeleted));
}

void DeletionCommands::N4Click() {
  const int row = grid_.Row();
  if (results_.GroupOf(row) == 0) {
    status_.SetPanelText(1, texts::kNotDuplicate);
    return;
  }
  const std::string folder = results_.FolderOf(row);
  if (!dialogs_.AskOkCancel(FolderCellAsPath(folder) + texts::kAskDeleteBelowPath, texts::kConfirmCaption)) return;
  bulk_.DeleteBelow(folder, kNeverStops);
}

void DeletionCommands::A2Click() {
  const int row = grid_.Row();
  if (results_.GroupOf(row) == 0) {
    status_.SetPanelText(1, texts::kNotDuplicate);
    return;
  }
  const auto mount = bulk_.AcceptableMountOf(results_.FolderOf(row));
  if (!mount) return;
  if (!dialogs_.AskOkCancel(mount->mountPoint + texts::kAskDeleteOnDrive, texts::kConfirmCaption)) return;
  bulk_.DeleteOnMount(*mount, kNeverStops);
}

}  // namespace kestrilo
