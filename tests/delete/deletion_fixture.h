#pragma once
// What the deletion tests share: a temporary tree, the in-memory toolkit, a
// real check session and the deletion commands over a file system that tests can
// fault (a removal that fails, a file that cannot be read) and give fake
// mounts (another file system, a network one).

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "check/check_session.h"
#include "check/result_cells.h"
#include "delete/deletion_commands.h"
#include "delete/duplicate_deletion.h"
#include "platform/file_system.h"
#include "support/faulty_file_system.h"
#include "support/memory_status_panels.h"
#include "support/scripted_dialogs.h"
#include "support/temp_tree.h"
#include "toolkit/job_settings.h"
#include "toolkit/stop_request.h"

namespace kestrilo::testing {

// Forwards everything, except that files and folders that lie at or below a
// faked mount point lie on the faked device (their facts carry its device id)
// and MountOf names the faked mount for them. Where a path lies is judged
// after following the links on its way, as the system does, so two paths of
// one file always agree; mount points are given as canonical paths.
class MountFakingFileSystem final : public FileSystem {
 public:
  explicit MountFakingFileSystem(FileSystem& inner) : inner_(inner) {}

  void FakeMount(std::string mountPoint, std::uint64_t device, bool network);

  bool ListFolder(const std::string& folder, std::vector<DirEntry>& out) override;
  std::optional<FileFacts> Examine(const std::string& path, bool followLink) override;
  FileHandle OpenRead(const std::string& path) override;
  bool Exists(const std::string& path) override;
  bool Unlink(const std::string& path) override;
  bool HoldsRemovals() const override { return inner_.HoldsRemovals(); }
  FileHandle OpenToRemove(const std::string& path) override { return inner_.OpenToRemove(path); }
  FileHandle OpenToKeep(const std::string& path) override { return inner_.OpenToKeep(path); }
  bool RemoveOpen(const FileHandle& file, const std::string& path) override { return inner_.RemoveOpen(file, path); }
  bool RemovalRefused(const std::string& path) override { return inner_.RemovalRefused(path); }
  std::optional<MountInfo> MountOf(const std::string& path) override;

 private:
  const MountInfo* FakedMountOf(const std::string& path, bool followLink) const;

  FileSystem& inner_;
  std::vector<MountInfo> mounts_;
};

// One hand-made grid row: group number, folder relative to the tree's root
// ("" for the root itself), file name, and the content written to the file.
struct HandRow {
  std::string group;
  std::string folder;
  std::string name;
  std::string content;
};

// Everything one deletion scenario needs, built fresh.
struct DeletionWorld {
  // Walks the whole tree and runs a duplicate check, as the window does.
  void RunCheck();
  // Writes the files and lays the rows out by hand, as if a duplicate check
  // had numbered them. The verification pass did not run, so nothing is known
  // of the files: every partner is checked by reading it.
  void LayOut(const std::vector<HandRow>& rows);
  // Puts `row` in place of data row `number` of the hand-made rows, or after
  // the last one.
  void ReplaceRow(int number, ResultRow row);

  // Folder cell of a folder relative to the tree's root.
  std::string FolderCell(const std::string& folder) const;
  // Folder cell of the root folder that holds the tree: "" on POSIX, the
  // drive ("C:") on Windows.
  std::string RootCell() const;
  // The data row whose full path is the tree's `relative` path; -1 when none.
  int RowOf(const std::string& relative) const;
  // Folder cell + separator + name cell of `row`.
  std::string FullPath(int row) const;
  // Column 0 of every data row, top to bottom.
  std::vector<std::string> Groups() const;
  // A regular file (not a link) stands at the tree's `relative` path.
  bool IsFile(const std::string& relative) const;

  // Asks the question `dialogs` answers with OK (true) or Cancel.
  void Answer(bool ok) { dialogs.answers.push_back(ok); }

  TempTree tree;
  MemoryStatusPanels status;
  ScriptedDialogs dialogs;
  FileSystem& real = SystemFileSystem();
  FaultyFileSystem faulty{real};
  MountFakingFileSystem fs{faulty};
  MemoryJobSettings settings;
  CheckSession session{status, settings, fs};
  ResultSet& results = session.Results();
  StopRequest& stop = session.Stop();
  ResultCells grid{results};
  DeletionCommands commands{grid, results, status, dialogs, fs};
  DuplicateDeletion bulk{results, status, fs};
  // The rows LayOut made.
  std::vector<ResultRow> laidOut;
};

class DeletionTest : public ::testing::Test, public DeletionWorld {};

}  // namespace kestrilo::testing
