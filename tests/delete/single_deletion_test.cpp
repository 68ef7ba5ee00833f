// The one-file command on the current row: its refusals, its question, its
// texts and the deleted-row marking.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "delete/deletion_fixture.h"
#include "platform/path_text.h"
#include "support/result_rows.h"

namespace kestrilo::testing {
namespace {

constexpr char kNotDuplicate[] = "重複ファイルではありません。";
constexpr char kNoPartner[] = "重複ファイルが無いため削除できません。";

class SingleDeletionTest : public DeletionTest {
 protected:
  // Makes `row` current, answers the question with `ok`, runs the command.
  void DeleteRow(int row, bool ok = true) {
    grid.SetRow(row);
    Answer(ok);
    commands.Delete1Click();
  }
};

TEST_F(SingleDeletionTest, RefusesRowsWithoutAGroupNumber) {
  LayOut({{"1", "d", "a", "same"}, {"", "d", "b", "same"}, {"1", "d", "c", "same"}});
  for (const int row : {0, 2, 4}) {  // header, row of no group, trailing row
    grid.SetRow(row);
    commands.Delete1Click();
    EXPECT_EQ(status.Text(1), kNotDuplicate) << "row " << row;
  }
  EXPECT_TRUE(dialogs.asked.empty());
  EXPECT_TRUE(IsFile("d/a") && IsFile("d/b") && IsFile("d/c"));
  EXPECT_EQ(Groups(), (std::vector<std::string>{"1", "", "1"}));
}

TEST_F(SingleDeletionTest, GroupOfTwoLosesOnlyItsFirstMember) {
  LayOut({{"1", "d", "a.txt", "same"}, {"1", "e", "b.txt", "same"}});
  DeleteRow(1);
  ASSERT_EQ(dialogs.asked.size(), 1u);
  EXPECT_EQ(dialogs.asked[0].first, "a.txt を削除してもよろしいですか？");
  EXPECT_EQ(dialogs.asked[0].second, "削除確認");
  EXPECT_EQ(status.Text(1), tree.Path("d/a.txt") + " を削除しました");
  EXPECT_FALSE(IsFile("d/a.txt"));
  EXPECT_EQ(grid.Rows(1), (GridRow{"", "", "4", tree.Path("d")}));

  DeleteRow(2);
  EXPECT_EQ(status.Text(1), kNoPartner);
  EXPECT_EQ(dialogs.asked.size(), 1u);
  EXPECT_TRUE(IsFile("e/b.txt"));
  EXPECT_EQ(grid.Rows(2), (GridRow{"1", "b.txt", "4", tree.Path("e")}));
}

TEST_F(SingleDeletionTest, DeletedRowsArePassedOverButNeverCountAsPartners) {
  LayOut({{"1", "d", "a", "same"}, {"1", "d", "b", "same"}, {"1", "d", "c", "same"}});
  DeleteRow(2);
  DeleteRow(3);  // finds row 1 through the deleted row 2
  EXPECT_EQ(status.Text(1), tree.Path("d/c") + " を削除しました");
  DeleteRow(1);
  EXPECT_EQ(status.Text(1), kNoPartner);
  EXPECT_TRUE(IsFile("d/a"));
  EXPECT_FALSE(IsFile("d/b") || IsFile("d/c"));
  EXPECT_EQ(Groups(), (std::vector<std::string>{"1", "", ""}));
}

TEST_F(SingleDeletionTest, AnotherGroupBetweenMembersStopsTheScan) {
  LayOut({{"1", "d", "a", "one"}, {"2", "d", "b", "two"}, {"1", "d", "c", "one"}, {"2", "d", "e", "two"}});
  DeleteRow(1);
  EXPECT_EQ(status.Text(1), kNoPartner);
  DeleteRow(4);
  EXPECT_EQ(status.Text(1), kNoPartner);
  EXPECT_TRUE(dialogs.asked.empty());
  EXPECT_TRUE(IsFile("d/a") && IsFile("d/b") && IsFile("d/c") && IsFile("d/e"));
}

TEST_F(SingleDeletionTest, FindsThePartnerBelowWhenTheRowAboveIsOfAnotherGroup) {
  LayOut({{"1", "d", "p", "one"},
          {"1", "d", "q", "one"},
          {"2", "d", "r", "two"},
          {"2", "d", "s", "two"},
          {"3", "photo", "a.txt", "three"},
          {"3", "d", "t", "three"}});
  DeleteRow(5);
  ASSERT_EQ(dialogs.asked.size(), 1u);
  EXPECT_EQ(dialogs.asked[0].first, "a.txt を削除してもよろしいですか？");
  EXPECT_EQ(grid.Rows(5), (GridRow{"", "", "5", tree.Path("photo")}));
  EXPECT_EQ(status.Text(1), tree.Path("photo/a.txt") + " を削除しました");
  EXPECT_TRUE(IsFile("d/t"));
}

TEST_F(SingleDeletionTest, CancelChangesNothing) {
  LayOut({{"1", "d", "a", "same"}, {"1", "d", "b", "same"}});
  status.SetPanelText(1, "before");
  DeleteRow(1, false);
  EXPECT_EQ(dialogs.asked.size(), 1u);
  EXPECT_EQ(status.HistoryOf(1), (std::vector<std::string>{"before"}));
  EXPECT_TRUE(IsFile("d/a"));
  EXPECT_EQ(Groups(), (std::vector<std::string>{"1", "1"}));
}

TEST_F(SingleDeletionTest, FileGoneSinceTheCheckIsReportedAndKeepsItsRow) {
  LayOut({{"1", "d", "a", "same"}, {"1", "d", "b", "same"}});
  tree.Remove("d/a");
  DeleteRow(1);
  EXPECT_EQ(status.Text(1), tree.Path("d/a") + " が削除できませんでした");
  EXPECT_EQ(grid.Rows(1), (GridRow{"1", "a", "4", tree.Path("d")}));
  EXPECT_TRUE(IsFile("d/b"));
}

TEST_F(SingleDeletionTest, FailedRemovalKeepsFileAndRow) {
  LayOut({{"1", "d", "a", "same"}, {"1", "d", "b", "same"}});
  faulty.FailUnlink(tree.Path("d/a"));
  DeleteRow(1);
  EXPECT_EQ(status.Text(1), tree.Path("d/a") + " が削除できませんでした");
  EXPECT_TRUE(IsFile("d/a"));
  EXPECT_EQ(Groups(), (std::vector<std::string>{"1", "1"}));
}

TEST_F(SingleDeletionTest, FileInTheRootFolderIsNamedFromTheRoot) {
  LayOut({{"1", "d", "b", "same"}, {"1", "d", "c", "same"}});
  // The root folder's cell ("" or "C:"); nothing of that name is there.
  ReplaceRow(1, MadeRow(1, "kestrilo-absent-\x01", 4, RootCell()));
  DeleteRow(1);
  EXPECT_EQ(dialogs.asked.at(0).first, "kestrilo-absent-\x01 を削除してもよろしいですか？");
  EXPECT_EQ(status.Text(1), RootCell() + kSeparator + "kestrilo-absent-\x01 が削除できませんでした");
}

// Names that are no UTF-8 and links of a POSIX file system.
#ifndef _WIN32
TEST_F(SingleDeletionTest, NamesThatAreNotUtf8AreDeletedByteForByte) {
  const std::string name = "\xff\xfe-\x80.bin";
  LayOut({{"1", "d", name, "same"}, {"1", "d\xc3", "b", "same"}});
  DeleteRow(1);
  EXPECT_EQ(dialogs.asked.at(0).first, name + " を削除してもよろしいですか？");
  EXPECT_EQ(status.Text(1), tree.Path("d/" + name) + " を削除しました");
  EXPECT_FALSE(IsFile("d/" + name));
  DeleteRow(2);
  EXPECT_EQ(status.Text(1), kNoPartner);
}

// Two rows that name one file (a hard link, or a folder reached through a
// link) are not two copies: neither may go on the strength of the other.
TEST_F(SingleDeletionTest, OneFileUnderTwoPathsIsNeverDeleted) {
  LayOut({{"1", "d", "a", "same"}, {"1", "d", "b", "other"}});
  tree.Remove("d/b");
  tree.HardLink("d/b", "d/a");
  tree.Symlink("via", tree.Path("d"));
  ReplaceRow(3, MadeRow(1, "a", 4, tree.Path("via")));
  for (const int row : {1, 2, 3}) {
    DeleteRow(row);
    EXPECT_EQ(status.Text(1), FullPath(row) + " が削除できませんでした") << "row " << row;
  }
  EXPECT_TRUE(IsFile("d/a") && IsFile("d/b"));
  EXPECT_EQ(Groups(), (std::vector<std::string>{"1", "1", "1"}));
}

#endif

TEST_F(SingleDeletionTest, WorksOnTheGridOfARealCheck) {
  tree.Write("x/one", "duplicate content");
  tree.Write("y/two", "duplicate content");
  tree.Write("y/single", "something else");
  RunCheck();
  const int one = RowOf("x/one");
  const int two = RowOf("y/two");
  ASSERT_GT(one, 0);
  ASSERT_GT(two, 0);
  EXPECT_EQ(Groups(), (std::vector<std::string>{"1", "1"}));
  DeleteRow(two);
  EXPECT_EQ(status.Text(1), tree.Path("y/two") + " を削除しました");
  DeleteRow(one);
  EXPECT_EQ(status.Text(1), kNoPartner);
  EXPECT_EQ(ReadWholeFile(tree.Path("x/one")), "duplicate content");
}

}  // namespace
}  // namespace kestrilo::testing
