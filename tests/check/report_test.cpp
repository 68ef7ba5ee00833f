#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "check/report.h"
#include "support/temp_tree.h"
#include "toolkit/memory_grid.h"

namespace kestrilo::testing {
namespace {

// Header, a numbered row, a row without a group, a deleted row, a second
// group, and the trailing row.
const Grid& SampleGrid() {
  static MemoryGrid grid;
  grid.SetRowCount(7);
  grid.SetRows(1, {"1", "a, b.txt", "1024", "/data"});
  grid.SetRows(2, {"", "lonely", "1024", "/data"});
  grid.SetRows(3, {"", "", "1024", "/old"});
  grid.SetRows(4, {"1", "\xff-name", "1024", ""});
  grid.SetRows(5, {"2", "c", "7", "/x y"});
  return grid;
}

constexpr char kSampleReport[] = "1, a, b.txt, 1024, /data\n1, \xff-name, 1024, \n2, c, 7, /x y\n";

TEST(CheckReport, ListsNumberedRowsByteForByte) {
  EXPECT_EQ(ReportText(SampleGrid()), kSampleReport);
  EXPECT_EQ(ReportText(MemoryGrid()), "");
}

TEST(CheckReport, SaveReplacesAnExistingFileWhole) {
  TempTree tree;
  const std::string path = tree.Write("report.txt", std::string(10000, 'o'));
  ::chmod(path.c_str(), 0640);
  EXPECT_EQ(SaveReport(SampleGrid(), path), ReportResult::Saved);
  EXPECT_EQ(ReadWholeFile(path), kSampleReport);
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST(CheckReport, SaveThroughALinkWritesTheLinkedFile) {
  TempTree tree;
  const std::string target = tree.Write("real.txt", "old");
  const std::string link = tree.Symlink("link.txt", target);
  EXPECT_EQ(SaveReport(SampleGrid(), link), ReportResult::Saved);
  EXPECT_EQ(ReadWholeFile(target), kSampleReport);
  struct stat info {};
  ASSERT_EQ(::lstat(link.c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
}

TEST(CheckReport, SaveIntoAMissingFolderCannotOpen) {
  TempTree tree;
  EXPECT_EQ(SaveReport(SampleGrid(), tree.Path("missing/report.txt")), ReportResult::CannotOpen);
  EXPECT_EQ(SaveReport(SampleGrid(), tree.Root()), ReportResult::CannotOpen);
}

TEST(CheckReport, ADeviceIsWrittenInPlaceNeverReplaced) {
  EXPECT_EQ(SaveReport(SampleGrid(), "/dev/null"), ReportResult::Saved);
  struct stat info {};
  ASSERT_EQ(::lstat("/dev/null", &info), 0);
  EXPECT_TRUE(S_ISCHR(info.st_mode));
}

TEST(CheckReport, AFullDiskIsAFailureNotASuccess) {
  const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
  ASSERT_GE(full, 0);
  EXPECT_FALSE(WriteReport(SampleGrid(), full));
  ::close(full);
  EXPECT_EQ(SaveReport(SampleGrid(), "/dev/full"), ReportResult::CannotWrite);
}

}  // namespace
}  // namespace kestrilo::testing
