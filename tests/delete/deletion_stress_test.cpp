// Random trees, random groups, random changes on disk between the check and
// the deletion, random commands on random rows: no content that was on disk
// before a deletion is ever lost, and nothing but the files of the rows the
// commands marked deleted is touched.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "delete/deletion_fixture.h"

namespace kestrilo::testing {
namespace {

namespace stdfs = std::filesystem;

constexpr int kRuns = 4000;
const std::vector<std::string> kFolders = {"", "a", "a/b", "ab", "c", "c/d"};

// `path` relative to `root` (which it lies in), as text; links stay links.
std::string Below(const std::string& root, const std::string& path) { return path.substr(root.size() + 1); }

// What stands at each path of the tree (relative path -> kind and content).
std::map<std::string, std::string> Survey(const TempTree& tree) {
  std::map<std::string, std::string> found;
  for (const auto& entry : stdfs::recursive_directory_iterator(tree.Root())) {
    const auto relative = Below(tree.Root(), entry.path().string());
    const auto type = entry.symlink_status().type();
    if (type == stdfs::file_type::regular) {
      found[relative] = "file:" + ReadWholeFile(entry.path().string());
    } else if (type == stdfs::file_type::symlink) {
      found[relative] = "link:" + stdfs::read_symlink(entry.path()).string();
    } else {
      found[relative] = "other";
    }
  }
  return found;
}

std::set<std::string> Contents(const std::map<std::string, std::string>& survey) {
  std::set<std::string> contents;
  for (const auto& [path, what] : survey) {
    if (what.starts_with("file:")) contents.insert(what);
  }
  return contents;
}

class StressRun : public DeletionWorld {
 public:
  explicit StressRun(std::mt19937& random) : random_(random) {}

  void Build() {
    const int contents = Pick(1, 4);
    const int files = Pick(5, 12);
    for (int i = 0; i < files; ++i) {
      // Few names, so that a folder replaced by a link to another one makes
      // its rows name the files of other rows.
      const std::string relative = Join(kFolders[Pick(0, kFolders.size() - 1)], "f" + std::to_string(Pick(0, 3)));
      if (std::find(paths_.begin(), paths_.end(), relative) != paths_.end()) continue;
      paths_.push_back(relative);
      // Mostly shared contents, all of one length, so that groups form and
      // interleave; now and then one of its own.
      const int which = Pick(0, contents);
      tree.Write(relative, which == contents ? "unique " + std::to_string(i) : "content-" + std::to_string(which));
    }
    if (Chance(3)) fs.FakeMount(tree.Path("c"), 99, Chance(4));
  }

  void ChangeOnDisk() {
    for (const auto& relative : paths_) {
      if (!Chance(6)) continue;
      const std::string& other = paths_[Pick(0, paths_.size() - 1)];
      std::error_code ignored;
      switch (Pick(0, 6)) {
        case 0:
          tree.Remove(relative);
          break;
        case 1:  // rewritten in place, same length as the shared contents
          if (IsFile(relative)) tree.Write(relative, "content-9");
          break;
        case 2:
          if (IsFile(relative)) tree.Write(relative, "changed");
          break;
        case 3:
          tree.Remove(relative);
          stdfs::create_symlink(tree.Path(other), tree.Path(relative), ignored);
          break;
        case 4:
          tree.Remove(relative);
          stdfs::create_hard_link(tree.Path(other), tree.Path(relative), ignored);
          break;
        case 5:
          tree.Remove(relative);
          tree.MakeFolder(relative);
          break;
        case 6: {
          const std::string copy = IsFile(other) ? ReadWholeFile(tree.Path(other)) : "content-0";
          tree.Remove(relative);
          tree.Write(relative, copy);
          break;
        }
      }
    }
    if (Chance(10)) {
      // A whole folder replaced by a link to another one: rows in it may now
      // name the very files of other rows.
      const std::string folder = kFolders[Pick(1, kFolders.size() - 1)];
      const std::string target = kFolders[Pick(0, kFolders.size() - 1)];
      tree.Remove(folder);
      std::error_code ignored;
      stdfs::create_symlink(FolderCell(target), tree.Path(folder), ignored);
    }
  }

  // Runs one random command on a random row, answering OK, and checks what
  // it did to the grid and the disk.
  void Command() {
    const std::vector<std::string> groupsBefore = Groups();
    std::vector<std::string> pathsBefore;
    for (int row = 1; row < grid.RowCount() - 1; ++row) pathsBefore.push_back(WhereOnDisk(FullPath(row)));
    const auto before = Survey(tree);

    grid.SetRow(Pick(0, grid.RowCount() - 1));
    Answer(true);
    const int command = Pick(0, 2);
    if (command == 0) commands.Delete1Click();
    if (command == 1) commands.N4Click();
    if (command == 2) commands.A2Click();
    dialogs.answers.clear();

    auto expected = before;
    int marked = 0;
    const std::vector<std::string> groupsAfter = Groups();
    for (std::size_t i = 0; i < groupsAfter.size(); ++i) {
      if (groupsAfter[i] == groupsBefore[i]) continue;
      ASSERT_TRUE(groupsAfter[i].empty()) << "row " << i + 1 << " got another group number";
      ++marked;
      const auto& relative = pathsBefore[i];
      ASSERT_TRUE(expected.contains(relative) && expected[relative].starts_with("file:"))
          << "row " << i + 1 << " was marked but its path named no regular file: " << relative;
      expected.erase(relative);
    }
    const auto after = Survey(tree);
    EXPECT_EQ(after, expected) << "something other than the marked rows' files changed";
    for (const auto& content : Contents(before)) {
      EXPECT_TRUE(Contents(after).contains(content)) << "lost the last copy of " << content;
    }
    if (command != 0 && status.Text(1).ends_with(" 個のファイルを削除しました。")) {
      EXPECT_EQ(status.Text(1), std::to_string(marked) + " 個のファイルを削除しました。");
    }
    EXPECT_LE(marked, command == 0 ? 1 : static_cast<int>(groupsAfter.size()));
    removed += marked;
  }

  int removed = 0;

 private:
  template <typename T>
  int Pick(int low, T high) {
    return std::uniform_int_distribution<int>(low, static_cast<int>(high))(random_);
  }
  bool Chance(int oneIn) { return Pick(1, oneIn) == 1; }
  // The tree path that a row's full path reaches through linked folders.
  std::string WhereOnDisk(const std::string& path) const {
    const auto slash = path.rfind('/');
    std::error_code error;
    const auto root = stdfs::canonical(tree.Root(), error).string();
    const auto folder = stdfs::canonical(path.substr(0, slash), error).string();
    if (error || !folder.starts_with(root)) return Below(tree.Root(), path);
    return folder == root ? path.substr(slash + 1) : Below(root, folder) + path.substr(slash);
  }
  static std::string Join(const std::string& folder, const std::string& name) {
    return folder.empty() ? name : folder + "/" + name;
  }

  std::mt19937& random_;
  std::vector<std::string> paths_;
};

// Thousands of small trees are made and removed: on a memory file system, when
// there is one, that takes seconds instead of minutes.
class TemporaryFolderInMemory {
 public:
  TemporaryFolderInMemory() {
    if (const char* old = std::getenv("TMPDIR")) old_ = old;
    if (::access("/dev/shm", W_OK | X_OK) == 0) ::setenv("TMPDIR", "/dev/shm", 1);
  }
  ~TemporaryFolderInMemory() {
    if (old_) {
      ::setenv("TMPDIR", old_->c_str(), 1);
    } else {
      ::unsetenv("TMPDIR");
    }
  }
  TemporaryFolderInMemory(const TemporaryFolderInMemory&) = delete;
  TemporaryFolderInMemory& operator=(const TemporaryFolderInMemory&) = delete;

 private:
  std::optional<std::string> old_;
};

TEST(DeletionStress, NoContentIsEverLost) {
  const TemporaryFolderInMemory inMemory;
  std::mt19937 random(20240611);
  int removed = 0;
  for (int run = 0; run < kRuns && !::testing::Test::HasFailure(); ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    StressRun world(random);
    world.Build();
    world.RunCheck();
    world.ChangeOnDisk();
    for (int command = 0; command < 3 && !::testing::Test::HasFailure(); ++command) world.Command();
    removed += world.removed;
  }
  // The runs must actually delete files, or they prove nothing.
  EXPECT_GT(removed, kRuns);
}

}  // namespace
}  // namespace kestrilo::testing
