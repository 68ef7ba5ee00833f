#include <gtest/gtest.h>

#include "check_fixture.h"
#include "platform/path_text.h"

namespace kestrilo::testing {
namespace {

class CheckExtraction : public ::testing::Test, public CheckFixture {
 protected:
  // Registers an existing file under a made-up signature of the given size.
  std::string Register(const std::string& relative, const std::string& size, char digit = 'a') {
    const std::string path = tree.Write(relative, "x");
    EXPECT_EQ(table.AddHash(std::string(32, digit) + size, path), 0);
    return path;
  }
};

TEST_F(CheckExtraction, NothingToExtractLeavesHeaderAndTrailingRow) {
  EXPECT_EQ(engine.TakeOutCheckFiles(), 0);
  EXPECT_EQ(grid.RowCount(), 2);
  Register("single", "5");
  EXPECT_EQ(engine.TakeOutCheckFiles(), 0);
  EXPECT_EQ(grid.RowCount(), 2);
  EXPECT_EQ(grid.Rows(1), GridRow{});
}

TEST_F(CheckExtraction, UnsortedRowsKeepEachSignatureTogetherInRegistrationOrder) {
  settings.sortFlag = false;
  Register("p/one", "7", 'a');
  Register("q/two", "9", 'b');
  Register("r/three", "7", 'a');
  Register("s/four", "9", 'b');
  Register("t/five", "7", 'a');
  ASSERT_EQ(engine.TakeOutCheckFiles(), 5);
  const auto rows = Rows();
  const std::string root = tree.Root();
  // The two signatures come in the table's bucket order; each block in registration order.
  const std::vector<std::string> sevens = {"|one|7|" + tree.Path("p"), "|three|7|" + tree.Path("r"),
                                           "|five|7|" + tree.Path("t")};
  const std::vector<std::string> nines = {"|two|9|" + tree.Path("q"), "|four|9|" + tree.Path("s")};
  std::vector<std::string> expected = rows[0] == sevens[0] ? sevens : nines;
  const auto& second = rows[0] == sevens[0] ? nines : sevens;
  expected.insert(expected.end(), second.begin(), second.end());
  EXPECT_EQ(rows, expected);
  EXPECT_EQ(grid.RowCount(), 7);
  EXPECT_EQ(grid.Rows(6), GridRow{});
}

TEST_F(CheckExtraction, SortsBySizeNumericallyThenFolderBytewise) {
  Register("b/x", "9", 'a');
  Register("a/x", "9", 'a');
  Register("a/w", "9", 'a');
  Register("z/x", "10", 'b');
  Register("\xc3\xa9/x", "10", 'b');
  Register("c/x", "100", 'c');
  Register("d/x", "100", 'c');
  Register("m/x", "4294967295", 'd');
  Register("n/x", "4294967295", 'd');
  ASSERT_EQ(engine.TakeOutCheckFiles(), 9);
  std::vector<std::string> order;
  for (const auto& row : Rows()) {
    const std::size_t size = row.find('|', 1) + 1;
    order.push_back(row.substr(row.rfind(kSeparator) + 1) + "/" + row.substr(1, size - 2) + ":" +
                    row.substr(size, row.find('|', size) - size));
  }
  // Rows of one size and folder keep the order of registration.
  EXPECT_EQ(order, (std::vector<std::string>{"m/x:4294967295", "n/x:4294967295", "c/x:100", "d/x:100", "z/x:10",
                                             "\xc3\xa9/x:10", "a/x:9", "a/w:9", "b/x:9"}));
}

TEST_F(CheckExtraction, VanishedFilesAreHiddenForGood) {
  Register("keep", "3");
  const std::string gone = Register("gone", "3");
  tree.Remove("gone");
  EXPECT_EQ(engine.TakeOutCheckFiles(), 0);
  EXPECT_EQ(table.GetFileCount(), 1);
  EXPECT_EQ(table.RemoveHash(std::string(32, 'a') + "3", gone), -1);
}

#ifndef _WIN32
TEST_F(CheckExtraction, AFileReplacedByADanglingLinkIsGoneAndAnUnlistableFolderIsAskedPerFile) {
  Register("a/keep", "3");
  const std::string dangling = Register("a/dangling", "3");
  Register("b/one", "4", 'b');
  Register("b/two", "4", 'b');
  tree.Remove("a/dangling");
  tree.Symlink("a/dangling", tree.Path("nowhere"));
  fs.FailList(tree.Path("b") + kSeparator);
  EXPECT_EQ(engine.TakeOutCheckFiles(), 2);
  EXPECT_EQ(table.GetFileCount(), 3);
  EXPECT_EQ(table.RemoveHash(std::string(32, 'a') + "3", dangling), -1);
}

#endif

TEST_F(CheckExtraction, AStopRequestSkipsTheSortButKeepsEveryRow) {
  Register("a/x", "1", 'a');
  Register("b/x", "1", 'a');
  Register("c/x", "2", 'b');
  Register("d/x", "2", 'b');
  settings.sortFlag = false;
  ASSERT_EQ(engine.TakeOutCheckFiles(), 4);
  const auto unsorted = Rows();
  settings.sortFlag = true;
  stop.Set();
  EXPECT_EQ(engine.TakeOutCheckFiles(), 4);
  EXPECT_EQ(Rows(), unsorted);
}

TEST_F(CheckExtraction, RootFilesHaveTheRootsFolderCell) {
  // Only existence is tested here, so two folders at the root stand in for files.
#ifdef _WIN32
  const std::string rootCell = "C:";
  const std::string first = "users";
  const std::string second = "windows";
#else
  const std::string rootCell = "";
  const std::string first = "tmp";
  const std::string second = "etc";
#endif
  ASSERT_EQ(table.AddHash(std::string(32, 'e') + "4", JoinFolderAndName(rootCell, first)), 0);
  ASSERT_EQ(table.AddHash(std::string(32, 'e') + "4", JoinFolderAndName(rootCell, second)), 0);
  ASSERT_EQ(engine.TakeOutCheckFiles(), 2);
  EXPECT_EQ(grid.Rows(1), (GridRow{"", first, "4", rootCell}));
  EXPECT_EQ(grid.Rows(2), (GridRow{"", second, "4", rootCell}));
}

// Folders that have not changed since the walk listed them are not listed
// again; a folder that may have lost a file since is.
struct WalkedFolderCase {
  const char* name;
  bool datedBack;  // every folder last changed long ago
  // Run in order: "walk" walks the tree, "file" registers a/y on its own,
  // "remove" removes a/y.
  std::vector<std::string> steps;
  int liveFiles;
  std::size_t listings;  // by the extraction, where folder times show changes
};

class WalkedFolders : public ::testing::TestWithParam<WalkedFolderCase>, public CheckFixture {};

TEST_P(WalkedFolders, AreListedAgainOnlyWhenTheyMayHaveChanged) {
  const WalkedFolderCase& param = GetParam();
  for (const char* relative : {"a/x", "a/y", "b/z"}) tree.Write(relative, "same");
  tree.Write("c/u", "other");
  if (param.datedBack) fs.DateFoldersBack(std::int64_t{3600} * 1'000'000'000);
  for (const std::string& step : param.steps) {
    if (step == "walk") engine.GetFiles(tree.Root());
    if (step == "file") engine.GetFiles(tree.Path("a/y"));
    if (step == "remove") tree.Remove("a/y");
  }
  const std::size_t before = fs.Listings();
  engine.TakeOutCheckFiles();
  EXPECT_EQ(table.GetFileCount(), param.liveFiles);
  // Elsewhere every folder that holds a file is listed again.
  EXPECT_EQ(fs.Listings() - before, kFolderTimesShowChanges ? param.listings : 3);
}

INSTANTIATE_TEST_SUITE_P(
    CheckExtraction, WalkedFolders,
    ::testing::Values(WalkedFolderCase{"unchanged", true, {"walk"}, 4, 0},
                      WalkedFolderCase{"changed_just_before_the_walk", false, {"walk"}, 4, 3},
                      WalkedFolderCase{"a_file_removed_after_the_walk", true, {"walk", "remove"}, 3, 1},
                      WalkedFolderCase{"a_file_removed_between_two_walks", true, {"walk", "remove", "walk"}, 3, 1},
                      WalkedFolderCase{
                          "a_file_named_on_its_own_removed_before_the_walk", true, {"file", "remove", "walk"}, 3, 1}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kestrilo::testing
