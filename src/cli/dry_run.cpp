#include "cli/dry_run.h"

#include <cerrno>
#include <map>
#include <utility>
#include <vector>

#include "cli/output_format.h"
#include "delete/duplicate_deletion.h"

namespace kestrilo::cli {

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

void DryRunFileSystem::ReadWholeFiles(std::span<const WholeRequest> requests, const OnWholeFile& onRead) {
  // A file that would have gone is to be refused by OpenRead.
  if (unlinked_.empty()) real_.ReadWholeFiles(requests, onRead);
}

bool DryRunFileSystem::Exists(const std::string& path) { return !unlinked_.contains(path) && real_.Exists(path); }

bool DryRunFileSystem::Unlink(const std::string& path) {
  if (!real_.Exists(path) || unlinked_.contains(path)) {
    errno = ENOENT;
    return false;
  }
  if (real_.RemovalRefused(path)) return false;
  unlinked_.insert(path);
  return true;
}

std::optional<FileSystem::MountInfo> DryRunFileSystem::MountOf(const std::string& path) { return real_.MountOf(path); }

namespace {

// Keeps panel 1's last text: the pass's count is not news, its refusal is.
class LastMessage final : public StatusPanels {
 public:
  void SetPanelText(int panel, std::string text) override {
    if (panel == 1) text_ = std::move(text);
  }
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

}  // namespace

std::optional<int> DryRunDeletion(ResultSet& results, FileSystem& fs, StatusPanels& status, const std::string& folder,
                                  bool onDrive, const StopRequest& stop, std::FILE* out,
                                  const FailureObserver& failed) {
  DryRunFileSystem pretend(fs);
  LastMessage passStatus;
  DuplicateDeletion deletion(results, passStatus, pretend);
  // Files in the order of the pass, each with the row that vouched for it,
  // or none when it would stay. Paths are taken before the row is marked.
  struct Visit {
    std::string path;
    std::optional<int> partner;
  };
  std::vector<Visit> visited;
  std::map<int, int> vouchedBy;
  deletion.SetRemovalObserver([&](int row, int partner) {
    visited.push_back({results.PathOf(row), partner});
    vouchedBy[row] = partner;
  });
  deletion.SetFailureObserver([&](int row, RemovalFailure why) {
    visited.push_back({results.PathOf(row), std::nullopt});
    if (failed) failed(row, why);
  });
  const auto count = onDrive ? deletion.DeleteOnDrive(folder, stop) : deletion.DeleteBelow(folder, stop);
  if (!count) {
    status.SetPanelText(1, passStatus.Text());
    return std::nullopt;
  }
  for (const auto& [path, partner] : visited) {
    if (!partner) {
      std::fprintf(out, "fail %s%s", EscapedLine(path).c_str(), kLineEnd);
      continue;
    }
    // A partner may itself go later on the strength of its own partner; the
    // chain ends at a file that stays, with the same bytes all along.
    int kept = *partner;
    for (auto next = vouchedBy.find(kept); next != vouchedBy.end(); next = vouchedBy.find(kept)) kept = next->second;
    std::fprintf(out, "delete %s%skeep %s%s", EscapedLine(path).c_str(), kLineEnd,
                 EscapedLine(results.PathOf(kept)).c_str(), kLineEnd);
  }
  return count;
}

}  // namespace kestrilo::cli
