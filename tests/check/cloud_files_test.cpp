// Files and folders whose content a cloud client keeps elsewhere: reading one
// would download it, so the walk reports each and never opens it.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "check_fixture.h"
#include "platform/path_text.h"

namespace kestrilo::testing {
namespace {

class CloudFiles : public ::testing::TestWithParam<const char*>, public CheckFixture {
 protected:
  void SetUp() override { settings.filterText = GetParam(); }

  // Real duplicates and a file of its own.
  void WriteLocalFiles() {
    tree.Write("photos/a.jpg", "same picture");
    tree.Write("backup/a.jpg", "same picture");
    tree.Write("photos/b.jpg", "other picture");
    tree.Write("photos/c.jpg", "third picture");
    tree.Write("backup/c.jpg", "third picture");
  }
  std::vector<std::string> CheckedRows() {
    engine.GetFiles(tree.Root());
    Check();
    return Rows();
  }
};

// Placeholders that would join a group, or make one of a single file, change
// nothing: the groups are those of the local files alone.
TEST_P(CloudFiles, PlaceholdersBesideRealDuplicatesLeaveTheGroupsAsTheyAre) {
  WriteLocalFiles();
  const std::vector<std::string> withoutThem = CheckedRows();
  ASSERT_EQ(withoutThem.size(), 4u);
  table.ClearHash();

  const std::vector<std::string> placeholders = {tree.Write("photos/a-copy.jpg", "same picture"),
                                                 tree.Write("photos/b-copy.jpg", "other picture"),
                                                 tree.Write("cloud/c.jpg", "third picture")};
  for (const auto& path : placeholders) fs.PutInCloud(path);
  EXPECT_EQ(CheckedRows(), withoutThem);
  for (const auto& path : placeholders) EXPECT_EQ(fs.OpensOf(path), 0u) << path;
}

TEST_P(CloudFiles, EachPlaceholderIsReportedInWalkOrderAndNeverOpened) {
  const std::string local = tree.Write("only/local", "here");
  const std::string remote = tree.Write("only/remote", "there");
  fs.PutInCloud(remote);
  engine.GetFiles(tree.Path("only"));
  EXPECT_EQ(Paths(), std::vector<std::string>{local});
  EXPECT_EQ(status.HistoryOf(1), std::vector<std::string>{"[" + remote + "] クラウド上のファイルは対象外"});
  EXPECT_EQ(fs.OpensOf(remote), 0u);
  EXPECT_EQ(fs.OpensOf(local), 1u);
}

// Listing a placeholder folder would bring its files down.
TEST_P(CloudFiles, APlaceholderFolderIsNotDescendedInto) {
  const std::string local = tree.Write("top/local", "here");
  const std::string below = tree.Write("top/remote/deep/file", "there");
  fs.PutInCloud(tree.Path("top/remote"));
  engine.GetFiles(tree.Path("top"));
  EXPECT_EQ(Paths(), std::vector<std::string>{local});
  EXPECT_EQ(status.HistoryOf(1),
            std::vector<std::string>{"[" + tree.Path("top/remote") + kSeparator + "] クラウド上のフォルダは対象外"});
  EXPECT_EQ(fs.Listings(), 1u);
  EXPECT_EQ(fs.OpensOf(below), 0u);
}

TEST_P(CloudFiles, AChosenPlaceholderIsReportedAndNeverOpened) {
  const std::string remote = tree.Write("remote", "there");
  fs.PutInCloud(remote);
  engine.GetFiles(remote);
  EXPECT_EQ(table.GetFileCount(), 0);
  EXPECT_EQ(status.HistoryOf(1), std::vector<std::string>{"[" + remote + "] クラウド上のファイルは対象外"});
  EXPECT_EQ(fs.Opens(), 0u);
}

// One pass over each folder, and the two passes of a filtering wildcard.
INSTANTIATE_TEST_SUITE_P(Wildcards, CloudFiles, ::testing::Values("*.*", "*"));

}  // namespace
}  // namespace kestrilo::testing
