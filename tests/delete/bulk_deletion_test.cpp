// The bulk commands: below the current row's folder, on its file system, and
// the same passes as the command line calls them.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "delete/deletion_fixture.h"
#include "platform/path_text.h"
#include "support/result_rows.h"

namespace kestrilo::testing {
namespace {

constexpr char kAskBelow[] = "\nこのパス配下の重複ファイルを削除してもよろしいですか？";
constexpr char kAskDrive[] = "\nこのドライブ配下の重複ファイルを削除してもよろしいですか？";
constexpr char kNetwork[] = "ネットワークドライブ等は指定できません。";

std::string Deleted(int count) { return std::to_string(count) + " 個のファイルを削除しました。"; }

class BulkDeletionTest : public DeletionTest {
 protected:
  void BelowRow(int row, bool ok = true) {
    grid.SetRow(row);
    Answer(ok);
    commands.N4Click();
  }
  void DriveOfRow(int row, bool ok = true) {
    grid.SetRow(row);
    Answer(ok);
    commands.A2Click();
  }
};

// The worked example of the pass, on POSIX folders: /older is not below /old.
TEST_F(BulkDeletionTest, WorkedExample) {
  LayOut({{"1", "old", "a1", "alpha"},
          {"1", "old/x", "a2", "alpha"},
          {"2", "new", "b1", "beta"},
          {"2", "old", "b2", "beta"},
          {"3", "old", "c1", "gamma"},
          {"3", "older", "c2", "gamma"}});
  BelowRow(1);
  ASSERT_EQ(dialogs.asked.size(), 1u);
  EXPECT_EQ(dialogs.asked[0].first, tree.Path("old") + kAskBelow);
  EXPECT_EQ(dialogs.asked[0].second, "削除確認");
  EXPECT_EQ(Groups(), (std::vector<std::string>{"", "1", "2", "", "", "3"}));
  EXPECT_FALSE(IsFile("old/a1") || IsFile("old/b2") || IsFile("old/c1"));
  EXPECT_TRUE(IsFile("old/x/a2") && IsFile("new/b1") && IsFile("older/c2"));
  EXPECT_EQ(grid.Rows(4), (GridRow{"", "", "4", tree.Path("old")}));
  EXPECT_EQ(status.Text(1), Deleted(3));
  EXPECT_EQ(grid.Row(), 1);
}

TEST_F(BulkDeletionTest, ConsecutiveMembersBelowThePathKeepTheirLast) {
  LayOut({{"1", "d", "a", "same"}, {"1", "d/e", "b", "same"}, {"1", "d", "c", "same"}});
  BelowRow(1);
  EXPECT_EQ(Groups(), (std::vector<std::string>{"", "", "1"}));
  EXPECT_TRUE(IsFile("d/c"));
  EXPECT_EQ(status.Text(1), Deleted(2));
}

TEST_F(BulkDeletionTest, MemberOutsideAboveLetsEveryMemberBelowGo) {
  LayOut({{"1", "keep", "a", "same"}, {"1", "d", "b", "same"}, {"1", "d", "c", "same"}});
  BelowRow(2);
  EXPECT_EQ(Groups(), (std::vector<std::string>{"1", "", ""}));
  EXPECT_TRUE(IsFile("keep/a"));
  EXPECT_EQ(status.Text(1), Deleted(2));
}

TEST_F(BulkDeletionTest, AlternatingGroupsDeleteNothing) {
  LayOut({{"1", "d", "a", "one"}, {"2", "d", "b", "two"}, {"1", "d", "c", "one"}, {"2", "d", "e", "two"}});
  BelowRow(1);
  EXPECT_EQ(Groups(), (std::vector<std::string>{"1", "2", "1", "2"}));
  EXPECT_EQ(status.Text(1), Deleted(0));
}

// Only whole folder names count: "data" covers data/sub, not data2,
// database or Data; the copy in database is not taken for the one in data.
TEST_F(BulkDeletionTest, PathCoversWholeFolderNamesOnly) {
  LayOut({{"1", "database", "x", "one"},
          {"1", "data", "y", "one"},
          {"2", "data2", "z", "two"},
          {"2", "data", "w", "two"},
          {"3", "Data", "u", "three"},
          {"3", "data/sub", "v", "three"}});
  BelowRow(2);
  EXPECT_EQ(Groups(), (std::vector<std::string>{"1", "", "2", "", "3", ""}));
  EXPECT_TRUE(IsFile("database/x") && IsFile("data2/z") && IsFile("Data/u"));
  EXPECT_EQ(status.Text(1), Deleted(3));
}

TEST_F(BulkDeletionTest, RowsDeletedBeforeAreNeitherMembersNorStops) {
  LayOut({{"1", "d", "a", "same"}, {"1", "d", "b", "same"}, {"1", "d", "c", "same"}, {"2", "d", "e", "x"}});
  grid.SetRow(2);
  Answer(true);
  commands.Delete1Click();
  ASSERT_EQ(Groups(), (std::vector<std::string>{"1", "", "1", "2"}));
  BelowRow(1);
  EXPECT_EQ(Groups(), (std::vector<std::string>{"", "", "1", "2"}));
  EXPECT_TRUE(IsFile("d/c") && IsFile("d/e"));
  EXPECT_EQ(status.Text(1), Deleted(1));
}

TEST_F(BulkDeletionTest, FileThatCannotBeRemovedProtectsTheLaterMembers) {
  LayOut({{"1", "d", "a", "same"}, {"1", "d", "b", "same"}, {"1", "d", "c", "same"}});
  faulty.FailUnlink(tree.Path("d/a"));
  BelowRow(1);
  EXPECT_EQ(Groups(), (std::vector<std::string>{"1", "", ""}));
  EXPECT_EQ(grid.Rows(1), (GridRow{"1", "a", "4", tree.Path("d")}));
  EXPECT_TRUE(IsFile("d/a"));
  EXPECT_EQ(status.Text(1), Deleted(2));
}

TEST_F(BulkDeletionTest, RowWithoutGroupIsRefusedWithoutAQuestion) {
  LayOut({{"1", "d", "a", "same"}, {"", "d", "b", "same"}, {"1", "d", "c", "same"}});
  for (const int row : {2, 4}) {
    grid.SetRow(row);
    commands.N4Click();
    EXPECT_EQ(status.Text(1), "重複ファイルではありません。");
    status.SetPanelText(1, "");
    commands.A2Click();
    EXPECT_EQ(status.Text(1), "重複ファイルではありません。");
  }
  EXPECT_TRUE(dialogs.asked.empty());
  EXPECT_TRUE(IsFile("d/a") && IsFile("d/b") && IsFile("d/c"));
}

TEST_F(BulkDeletionTest, CancelDeletesNothingAndLeavesThePanel) {
  LayOut({{"1", "d", "a", "same"}, {"1", "d", "b", "same"}});
  status.SetPanelText(1, "before");
  BelowRow(1, false);
  DriveOfRow(1, false);
  EXPECT_EQ(dialogs.asked.size(), 2u);
  EXPECT_EQ(status.HistoryOf(1), (std::vector<std::string>{"before"}));
  EXPECT_EQ(Groups(), (std::vector<std::string>{"1", "1"}));
  EXPECT_TRUE(IsFile("d/a") && IsFile("d/b"));
}

class DriveDeletionTest : public BulkDeletionTest {
 protected:
  void SetUp() override {
    fs.FakeMount(tree.Path("usb"), 777, false);
    LayOut({{"1", "usb", "a", "one"},
            {"1", "d", "b", "one"},
            {"2", "d", "c", "two"},
            {"2", "usb/sub", "e", "two"},
            {"2", "usb", "f", "two"}});
  }
};

TEST_F(DriveDeletionTest, CoversTheFileSystemOfTheRow) {
  DriveOfRow(1);
  ASSERT_EQ(dialogs.asked.size(), 1u);
  EXPECT_EQ(dialogs.asked[0].first, tree.Path("usb") + kAskDrive);
  EXPECT_EQ(dialogs.asked[0].second, "削除確認");
  EXPECT_EQ(Groups(), (std::vector<std::string>{"", "1", "2", "", ""}));
  EXPECT_TRUE(IsFile("d/b") && IsFile("d/c"));
  EXPECT_EQ(status.Text(1), Deleted(3));
}

TEST_F(DriveDeletionTest, LeavesOtherFileSystemsAlone) {
  const auto mount = real.MountOf(tree.Path("d"));
  ASSERT_TRUE(mount);
  DriveOfRow(2);
  ASSERT_EQ(dialogs.asked.size(), 1u);
  EXPECT_EQ(dialogs.asked[0].first, mount->mountPoint + kAskDrive);
  EXPECT_EQ(Groups(), (std::vector<std::string>{"1", "", "", "2", "2"}));
  EXPECT_TRUE(IsFile("usb/a") && IsFile("usb/sub/e") && IsFile("usb/f"));
  EXPECT_EQ(status.Text(1), Deleted(2));
}

TEST_F(BulkDeletionTest, NetworkFileSystemIsRefusedButItsPathIsNot) {
  fs.FakeMount(tree.Path("net"), 888, true);
  LayOut({{"1", "net", "a", "same"}, {"1", "net", "b", "same"}});
  grid.SetRow(1);
  commands.A2Click();
  EXPECT_EQ(status.Text(1), kNetwork);
  EXPECT_TRUE(dialogs.asked.empty());
  EXPECT_EQ(bulk.DeleteOnDrive(tree.Path("net"), stop), std::nullopt);
  EXPECT_EQ(status.Text(1), kNetwork);
  EXPECT_EQ(Groups(), (std::vector<std::string>{"1", "1"}));

  BelowRow(1);
  EXPECT_EQ(dialogs.asked.at(0).first, tree.Path("net") + kAskBelow);
  EXPECT_EQ(Groups(), (std::vector<std::string>{"", "1"}));
  EXPECT_EQ(status.Text(1), Deleted(1));
}

TEST_F(BulkDeletionTest, CommandLinePassesTakeAFolderArgument) {
  LayOut({{"1", "d", "a", "same"}, {"1", "d", "b", "same"}, {"2", "e", "c", "x"}, {"2", "e", "f", "x"}});
  EXPECT_EQ(bulk.DeleteBelow(tree.Path("d") + kSeparator, stop), 1);
  EXPECT_EQ(status.Text(1), Deleted(1));
  EXPECT_EQ(bulk.DeleteBelow(RootCell() + kSeparator, stop), 1);  // the root holds every folder
  EXPECT_EQ(Groups(), (std::vector<std::string>{"", "1", "", "2"}));
  EXPECT_EQ(bulk.DeleteOnDrive(tree.Path("e"), stop), 0);
  EXPECT_EQ(status.Text(1), Deleted(0));
  EXPECT_TRUE(dialogs.asked.empty());
}

TEST_F(BulkDeletionTest, AStopRequestEndsThePassBeforeTheNextFile) {
  LayOut({{"1", "d", "a", "same"}, {"1", "d", "b", "same"}, {"2", "d", "c", "x"}, {"2", "d", "f", "x"}});
  stop.Set();
  EXPECT_EQ(bulk.DeleteBelow(tree.Path("d"), stop), 0);
  EXPECT_EQ(status.Text(1), Deleted(0));
  EXPECT_EQ(Groups(), (std::vector<std::string>{"1", "1", "2", "2"}));
  stop.Clear();
  EXPECT_EQ(bulk.DeleteBelow(tree.Path("d"), stop), 2);
}

TEST_F(BulkDeletionTest, RootFolderIsShownAsTheRoot) {
  LayOut({{"1", "d", "a", "same"}, {"1", "d", "b", "same"}});
  ReplaceRow(1, MadeRow(1, "kestrilo-absent", 4, RootCell()));
  BelowRow(1, false);
  EXPECT_EQ(dialogs.asked.at(0).first, RootCell() + kSeparator + kAskBelow);
}

}  // namespace
}  // namespace kestrilo::testing
