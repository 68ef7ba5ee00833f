// Files that changed on disk between the duplicate check and the deletion:
// a file goes only while its partner still holds its content in another
// regular file; otherwise the command treats it as a removal that failed.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "delete/deletion_fixture.h"

namespace kestrilo::testing {
namespace {

constexpr char kTarget[] = "a/target";
constexpr char kPartner[] = "b/partner";
constexpr char kContent[] = "content shared by both files";

enum class Command { Single, Below, Drive };

struct ChangeCase {
  const char* name;
  std::function<void(TempTree&)> change;
  bool removed;  // the target may still go
};

// Kind and content (or link target) of a path.
std::string Describe(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return "absent";
  if (S_ISLNK(info.st_mode)) return "link to " + std::filesystem::read_symlink(path).string();
  if (S_ISDIR(info.st_mode)) return "folder";
  return "file " + ReadWholeFile(path) + " inode " + std::to_string(info.st_ino);
}

void SetOldModificationTime(const std::string& path) {
  const timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

void ReplaceByRename(TempTree& tree, const std::string& relative, const std::string& content) {
  tree.Write("b/.new", content);
  std::filesystem::rename(tree.Path("b/.new"), tree.Path(relative));
}

const std::vector<ChangeCase>& Changes() {
  static const std::vector<ChangeCase> changes = {
      {"nothing", [](TempTree&) {}, true},
      {"partner_touched", [](TempTree& t) { SetOldModificationTime(t.Path(kPartner)); }, true},
      {"partner_replaced_by_an_identical_copy", [](TempTree& t) { ReplaceByRename(t, kPartner, kContent); }, true},
      {"partner_deleted", [](TempTree& t) { t.Remove(kPartner); }, false},
      {"partner_rewritten_same_size", [](TempTree& t) { t.Write(kPartner, "CONTENT shared by both files"); }, false},
      {"partner_rewritten_other_size", [](TempTree& t) { t.Write(kPartner, "content shared"); }, false},
      {"partner_replaced_by_another_file",
       [](TempTree& t) { ReplaceByRename(t, kPartner, "content shared by both filez"); }, false},
      {"partner_replaced_by_a_link_to_the_target",
       [](TempTree& t) {
         t.Remove(kPartner);
         t.Symlink(kPartner, t.Path(kTarget));
       },
       false},
      {"partner_replaced_by_a_hard_link_to_the_target",
       [](TempTree& t) {
         t.Remove(kPartner);
         t.HardLink(kPartner, kTarget);
       },
       false},
      {"partner_became_a_folder",
       [](TempTree& t) {
         t.Remove(kPartner);
         t.Write(std::string(kPartner) + "/inner", kContent);
       },
       false},
      {"target_became_a_folder",
       [](TempTree& t) {
         t.Remove(kTarget);
         t.MakeFolder(kTarget);
       },
       false},
      {"target_replaced_by_a_link_to_the_partner",
       [](TempTree& t) {
         t.Remove(kTarget);
         t.Symlink(kTarget, t.Path(kPartner));
       },
       false},
      {"target_rewritten", [](TempTree& t) { t.Write(kTarget, "only copy of new content"); }, false},
  };
  return changes;
}

class ChangedFilesTest : public DeletionTest, public ::testing::WithParamInterface<std::tuple<Command, std::size_t>> {
 protected:
  void Run(Command command) {
    grid.SetRow(targetRow_);
    Answer(true);
    switch (command) {
      case Command::Single:
        commands.Delete1Click();
        break;
      case Command::Below:
        commands.N4Click();
        break;
      case Command::Drive:
        commands.A2Click();
        break;
    }
  }

  int targetRow_ = 0;
};

TEST_P(ChangedFilesTest, RemovesOnlyWhileThePartnerHoldsTheContent) {
  const auto [command, index] = GetParam();
  const ChangeCase& change = Changes()[index];
  tree.Write(kTarget, kContent);
  tree.Write(kPartner, kContent);
  RunCheck();
  targetRow_ = RowOf(kTarget);
  ASSERT_EQ(targetRow_, 1);
  ASSERT_EQ(Groups(), (std::vector<std::string>{"1", "1"}));
  const std::string targetPath = tree.Path(kTarget);

  change.change(tree);
  const std::string target = Describe(targetPath);
  const std::string partner = Describe(tree.Path(kPartner));
  Run(command);

  EXPECT_EQ(Describe(tree.Path(kPartner)), partner);
  if (change.removed) {
    EXPECT_EQ(Describe(targetPath), "absent");
    EXPECT_EQ(Groups(), (std::vector<std::string>{"", "1"}));
    EXPECT_EQ(status.Text(1),
              command == Command::Single ? targetPath + " を削除しました" : "1 個のファイルを削除しました。");
  } else {
    EXPECT_EQ(Describe(targetPath), target);
    EXPECT_EQ(Groups(), (std::vector<std::string>{"1", "1"}));
    EXPECT_EQ(grid.Cell(1, 1), "target");
    EXPECT_EQ(status.Text(1),
              command == Command::Single ? targetPath + " が削除できませんでした" : "0 個のファイルを削除しました。");
  }
}

std::string CaseName(const ::testing::TestParamInfo<ChangedFilesTest::ParamType>& info) {
  static const char* const commandNames[] = {"single", "below", "drive"};
  return std::string(commandNames[static_cast<int>(std::get<0>(info.param))]) + "_" +
         Changes()[std::get<1>(info.param)].name;
}

INSTANTIATE_TEST_SUITE_P(Changes, ChangedFilesTest,
                         ::testing::Combine(::testing::Values(Command::Single, Command::Below, Command::Drive),
                                            ::testing::Range<std::size_t>(0, Changes().size())),
                         CaseName);

// Files untouched since the check are known identical without reading them
// again; a touched one is read, and a partner that cannot be read holds
// nothing.
TEST_F(DeletionTest, UntouchedFilesAreNotReadAgain) {
  tree.Write("a/one", kContent);
  tree.Write("b/two", kContent);
  tree.Write("c/three", kContent);
  // Timestamps only vouch for files that had not changed for a while.
  std::this_thread::sleep_for(std::chrono::milliseconds(2100));
  RunCheck();
  ASSERT_EQ(Groups(), (std::vector<std::string>{"1", "1", "1"}));
  for (const char* file : {"a/one", "b/two", "c/three"}) faulty.FailOpen(tree.Path(file));

  grid.SetRow(1);
  Answer(true);
  commands.Delete1Click();
  EXPECT_EQ(status.Text(1), tree.Path("a/one") + " を削除しました");

  SetOldModificationTime(tree.Path("c/three"));
  grid.SetRow(2);
  Answer(true);
  commands.Delete1Click();
  EXPECT_EQ(status.Text(1), tree.Path("b/two") + " が削除できませんでした");
  EXPECT_TRUE(IsFile("b/two") && IsFile("c/three"));
}

// A chain of removals whose end vanished: the pass removes a row on the
// strength of the row below only after checking it, so the middle row stays.
TEST_F(DeletionTest, BulkPassKeepsTheLastCopyWhenTheChainEndVanished) {
  tree.Write("d/1", kContent);
  tree.Write("d/2", kContent);
  tree.Write("d/3", kContent);
  RunCheck();
  ASSERT_EQ(Groups(), (std::vector<std::string>{"1", "1", "1"}));
  const std::string middle = FullPath(2);
  ASSERT_EQ(::unlink(FullPath(3).c_str()), 0);
  EXPECT_EQ(bulk.DeleteBelow(tree.Path("d"), stop), 1);
  EXPECT_EQ(Groups(), (std::vector<std::string>{"", "1", "1"}));
  EXPECT_EQ(ReadWholeFile(middle), kContent);
}

// The row above that stayed is gone: the pass falls back to the row below.
TEST_F(DeletionTest, BulkPassTriesThePartnerBelowWhenTheOneAboveFails) {
  tree.Write("a/keep", kContent);
  tree.Write("d/1", kContent);
  tree.Write("d/2", kContent);
  RunCheck();
  ASSERT_EQ(Groups(), (std::vector<std::string>{"1", "1", "1"}));
  ASSERT_EQ(RowOf("a/keep"), 1);
  const std::string last = FullPath(3);
  tree.Remove("a/keep");
  EXPECT_EQ(bulk.DeleteBelow(tree.Path("d"), stop), 1);
  EXPECT_EQ(Groups(), (std::vector<std::string>{"1", "", "1"}));
  EXPECT_EQ(ReadWholeFile(last), kContent);
}

}  // namespace
}  // namespace kestrilo::testing
