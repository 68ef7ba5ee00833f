#pragma once
// --dry-run: the bulk deletion run as it would run, against a file system that
// only pretends to remove files, and written out as a plan.

#include <cstdio>
#include <optional>
#include <set>
#include <string>

#include "check/result_set.h"
#include "delete/verified_removal.h"
#include "platform/file_system.h"
#include "toolkit/status_panels.h"
#include "toolkit/stop_request.h"

namespace kestrilo::cli {

// Goes through to `real` for everything but Unlink, which only notes the
// path; a noted path is gone for every later look, as it would be.
class DryRunFileSystem final : public FileSystem {
 public:
  explicit DryRunFileSystem(FileSystem& real) : real_(real) {}

  bool ListFolder(const std::string& folder, std::vector<DirEntry>& out) override;
  std::optional<FileFacts> Examine(const std::string& path, bool followLink) override;
  std::optional<std::string> Resolve(const std::string& path) override;
  FileHandle OpenRead(const std::string& path) override;
  FileHandle OpenFolder(const std::string& folder) override;
  FileHandle OpenReadAt(const FileHandle& folder, const std::string& name, const std::string& path) override;
  void ReadHeads(std::span<const HeadRequest> requests, std::span<FileHead> heads) override;
  void ReadWholeFiles(std::span<const WholeRequest> requests, const OnWholeFile& onRead) override;
  bool Exists(const std::string& path) override;
  // Fails, as the removal would, when the real file system already refuses it.
  bool Unlink(const std::string& path) override;
  std::optional<MountInfo> MountOf(const std::string& path) override;

 private:
  FileSystem& real_;
  std::set<std::string> unlinked_;
};

// Runs the deletion below `folder` (or, with `onDrive`, on its file system)
// on `results` without removing anything, and writes to `out`, in the order
// of the pass, for every file that would go, "delete PATH" and then "keep
// PATH" with the copy of its group that would stay and that was found to hold
// the same bytes, and for every file whose removal is known to fail "fail
// PATH" (`failed` is told why); paths in the line form of the fdupes listing.
// The results are left as the deletion would leave them. A refusal goes to
// `status`; the result is the number of files that would go, or nothing when
// refused. A stop ends it before the next file.
std::optional<int> DryRunDeletion(ResultSet& results, FileSystem& fs, StatusPanels& status, const std::string& folder,
                                  bool onDrive, const StopRequest& stop, std::FILE* out,
                                  const FailureObserver& failed = {});

}  // namespace kestrilo::cli
