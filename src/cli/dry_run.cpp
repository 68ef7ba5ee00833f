#include "cli/dry_run.h"

#include <map>
#include <utility>
#include <vector>

#include "cli/output_format.h"
#include "delete/duplicate_deletion.h"
#include "platform/path_text.h"

namespace kestrilo::cli {

namespace {

// Keeps the pass's texts off the console: its count would tell of files
// removed, and none is. Only a refusal is passed on.
class PassStatus final : public StatusPanels {
 public:
  void SetPanelText(int panel, std::string text) override {
    if (panel == 1) message_ = std::move(text);
  }
  const std::string& Message() const { return message_; }

 private:
  std::string message_;
};

}  // namespace

bool DryRunFileSystem::ListFolder(const std::string& folder, std::vector<DirEntry>& out) {
  return real_.ListFolder(folder, out);
}

std::optional<FileFacts> DryRunFileSystem::Examine(const std::string& path, bool followLink) {
  if (unlinked_.contains(path)) return std::nullopt;
  return real_.Examine(path, followLink);
}

std::optional<std::string> DryRunFileSystem::Resolve(const std::string& path) {
  if (unlinked_.contains(path)) return std::nullopt;
  return real_.Resolve(path);
}

FileHandle DryRunFileSystem::OpenRead(const std::string& path) {
  if (unlinked_.contains(path)) return FileHandle();
  return real_.OpenRead(path);
}

FileHandle DryRunFileSystem::OpenFolder(const std::string& folder) { return real_.OpenFolder(folder); }

FileHandle DryRunFileSystem::OpenReadAt(const FileHandle& folder, const std::string& name, const std::string& path) {
  if (unlinked_.contains(path)) return FileHandle();
  return real_.OpenReadAt(folder, name, path);
}

void DryRunFileSystem::ReadHeads(std::span<const HeadRequest> requests, std::span<FileHead> heads) {
  real_.ReadHeads(requests, heads);
}

bool DryRunFileSystem::Exists(const std::string& path) { return !unlinked_.contains(path) && real_.Exists(path); }

bool DryRunFileSystem::Unlink(const std::string& path) {
  if (!real_.Exists(path) || unlinked_.contains(path)) return false;
  unlinked_.insert(path);
  return true;
}

std::optional<FileSystem::MountInfo> DryRunFileSystem::MountOf(const std::string& path) { return real_.MountOf(path); }

std::optional<int> DryRunDeletion(Grid& grid, FileSystem& fs, const DuplicateEngine& engine, StatusPanels& status,
                                  const std::string& folder, bool onDrive, const StopRequest& stop,
                                  std::FILE* out) {
  DryRunFileSystem pretend(fs);
  PassStatus passStatus;
  DuplicateDeletion deletion(grid, passStatus, pretend, engine);
  // Paths are taken at the removal, before the row's name cell is emptied.
  std::vector<std::pair<int, std::string>> removed;
  std::map<int, int> vouchedBy;
  deletion.SetRemovalObserver([&](int row, int partner) {
    removed.emplace_back(row, JoinFolderAndName(grid.Cell(3, row), grid.Cell(1, row)));
    vouchedBy[row] = partner;
  });
  const auto count = onDrive ? deletion.DeleteOnDrive(folder, stop) : deletion.DeleteBelow(folder, stop);
  if (!count) {
    status.SetPanelText(1, passStatus.Message());
    return std::nullopt;
  }
  for (const auto& [row, path] : removed) {
    // A partner may itself go later on the strength of its own partner; the
    // chain ends at a file that stays, with the same bytes all along.
    int kept = vouchedBy[row];
    for (auto next = vouchedBy.find(kept); next != vouchedBy.end(); next = vouchedBy.find(kept)) kept = next->second;
    const std::string keptPath = JoinFolderAndName(grid.Cell(3, kept), grid.Cell(1, kept));
    std::fprintf(out, "delete %s\nkeep %s\n", EscapedLine(path).c_str(), EscapedLine(keptPath).c_str());
  }
  return count;
}

}  // namespace kestrilo::cli
