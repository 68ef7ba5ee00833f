#include "check/report.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "support/result_rows.h"
#include "support/temp_tree.h"

namespace kestrilo::testing {
namespace {

// Header, a numbered row, a row without a group, a deleted row, a second
// group, and the trailing row.
const ResultSet& SampleResults() {
  static ResultSet results;
  results.Replace({MadeRow(1, "a, b.txt", 1024, "/data"), MadeRow(0, "lonely", 1024, "/data"),
                   MadeRow(1, "gone", 1024, "/old", true), MadeRow(1, "\xff-name", 1024, ""),
                   MadeRow(2, "c", 7, "/x y")});
  return results;
}

constexpr char kSampleReport[] = "1, a, b.txt, 1024, /data\n1, \xff-name, 1024, \n2, c, 7, /x y\n";

TEST(CheckReport, ListsNumberedRowsByteForByte) {
  EXPECT_EQ(ReportText(SampleResults()), kSampleReport);
  EXPECT_EQ(ReportText(ResultSet()), "");
}

TEST(CheckReport, SaveReplacesAnExistingFileWhole) {
  TempTree tree;
  const std::string path = tree.Write("report.txt", std::string(10000, 'o'));
  ::chmod(path.c_str(), 0640);
  EXPECT_EQ(SaveReport(SampleResults(), path), ReportResult::Saved);
  EXPECT_EQ(ReadWholeFile(path), kSampleReport);
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST(CheckReport, SaveThroughALinkWritesTheLinkedFile) {
  TempTree tree;
  const std::string target = tree.Write("real.txt", "old");
  const std::string link = tree.Symlink("link.txt", target);
  EXPECT_EQ(SaveReport(SampleResults(), link), ReportResult::Saved);
  EXPECT_EQ(ReadWholeFile(target), kSampleReport);
  struct stat info {};
  ASSERT_EQ(::lstat(link.c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
}

TEST(CheckReport, SaveIntoAMissingFolderCannotOpen) {
  TempTree tree;
  EXPECT_EQ(SaveReport(SampleResults(), tree.Path("missing/report.txt")), ReportResult::CannotOpen);
  EXPECT_EQ(SaveReport(SampleResults(), tree.Root()), ReportResult::CannotOpen);
}

TEST(CheckReport, ADeviceIsWrittenInPlaceNeverReplaced) {
  EXPECT_EQ(SaveReport(SampleResults(), "/dev/null"), ReportResult::Saved);
  struct stat info {};
  ASSERT_EQ(::lstat("/dev/null", &info), 0);
  EXPECT_TRUE(S_ISCHR(info.st_mode));
}

TEST(CheckReport, AFullDiskIsAFailureNotASuccess) {
  const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
  ASSERT_GE(full, 0);
  EXPECT_FALSE(WriteReport(SampleResults(), full));
  ::close(full);
  EXPECT_EQ(SaveReport(SampleResults(), "/dev/full"), ReportResult::CannotWrite);
}

// Saves the sample report in a child process running as `user` (a user id no
// account has: nobody but root may write what it does not own), with at most
// `fileSizeLimit` bytes per file; the result comes back as the exit status.
ReportResult SaveAs(uid_t user, const std::string& path, rlim_t fileSizeLimit = RLIM_INFINITY) {
  const pid_t child = ::fork();
  if (child == 0) {
    const rlimit limit{fileSizeLimit, fileSizeLimit};
    std::signal(SIGXFSZ, SIG_IGN);
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0 || ::setgroups(0, nullptr) != 0 || ::setresgid(user, user, user) != 0 ||
        ::setresuid(user, user, user) != 0) {
      ::_exit(100);
    }
    ::_exit(static_cast<int>(SaveReport(SampleResults(), path)));
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return static_cast<ReportResult>(WIFEXITED(status) ? WEXITSTATUS(status) : 101);
}

constexpr uid_t kStranger = 48611;

class CheckReportPermissions : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root, to act as another user";
    ::chmod(tree.Root().c_str(), 0755);
  }
  static struct stat Facts(const std::string& path) {
    struct stat info {};
    ::lstat(path.c_str(), &info);
    return info;
  }
  TempTree tree;
};

// Saving is writing into the file, as opening it for writing would: its
// owner, mode and hard links stay.
TEST_F(CheckReportPermissions, AnExistingReportKeepsItsOwnerModeAndLinks) {
  const std::string path = tree.Write("report.txt", std::string(10000, 'o'));
  const std::string other = tree.HardLink("other-name.txt", "report.txt");
  ASSERT_EQ(::chown(path.c_str(), kStranger, kStranger), 0);
  ASSERT_EQ(::chmod(path.c_str(), 0604), 0);
  const struct stat before = Facts(path);
  EXPECT_EQ(SaveReport(SampleResults(), path), ReportResult::Saved);
  const struct stat after = Facts(path);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_uid, kStranger);
  EXPECT_EQ(after.st_gid, kStranger);
  EXPECT_EQ(after.st_mode & 07777, 0604u);
  EXPECT_EQ(after.st_nlink, 2u);
  EXPECT_EQ(ReadWholeFile(other), kSampleReport);
}

// A report the user may not write is not replaced, even where the folder
// would let a new file take its name.
TEST_F(CheckReportPermissions, AReportTheUserMayNotWriteCannotOpenAndStays) {
  const std::string folder = tree.MakeFolder("shared");
  ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
  const std::string path = tree.Write("shared/report.txt", "not yours");
  ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
  EXPECT_EQ(SaveAs(kStranger, path), ReportResult::CannotOpen);
  EXPECT_EQ(ReadWholeFile(path), "not yours");
  EXPECT_EQ(Facts(path).st_uid, 0u);
  EXPECT_EQ(SaveAs(kStranger, tree.Path("shared/new.txt")), ReportResult::Saved);
  EXPECT_EQ(ReadWholeFile(tree.Path("shared/new.txt")), kSampleReport);
}

// A report the user may write is written, even in a folder the user cannot
// create files in; a new report there cannot be opened.
TEST_F(CheckReportPermissions, AWritableReportInAClosedFolderIsWrittenInPlace) {
  const std::string folder = tree.MakeFolder("closed");
  ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);
  const std::string path = tree.Write("closed/report.txt", "old");
  ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
  EXPECT_EQ(SaveAs(kStranger, path), ReportResult::Saved);
  EXPECT_EQ(ReadWholeFile(path), kSampleReport);
  EXPECT_EQ(SaveAs(kStranger, tree.Path("closed/new.txt")), ReportResult::CannotOpen);
}

TEST_F(CheckReportPermissions, AWriteThatFailsIsAFailureForOldAndNewReports) {
  const std::string path = tree.Write("report.txt", "old");
  EXPECT_EQ(SaveAs(0, path, 10), ReportResult::CannotWrite);
  EXPECT_EQ(SaveAs(0, tree.Path("new.txt"), 10), ReportResult::CannotWrite);
  EXPECT_FALSE(std::filesystem::exists(tree.Path("new.txt")));
}

}  // namespace
}  // namespace kestrilo::testing
