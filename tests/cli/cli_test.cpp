#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "cli/cli_options.h"
#include "cli/run_cli.h"
#include "support/temp_tree.h"

namespace kestrilo::testing {
namespace {

struct ParseCase {
  std::vector<std::string> arguments;
  bool valid;
};

class CliOptions : public ::testing::TestWithParam<ParseCase> {};

TEST_P(CliOptions, AcceptsOnlyTheDocumentedForm) {
  std::string error;
  const auto options = cli::ParseOptions(GetParam().arguments, error);
  EXPECT_EQ(options.has_value(), GetParam().valid) << error;
  EXPECT_EQ(error.empty(), GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, CliOptions,
    ::testing::Values(ParseCase{{"/a"}, true}, ParseCase{{"--filter", "*.jpg", "--no-sort", "/a", "/b"}, true},
                      ParseCase{{"--report", "out.txt", "/a"}, true}, ParseCase{{"--", "--odd-name"}, true},
                      ParseCase{{"--delete-below", "/a", "--yes", "/a"}, true},
                      ParseCase{{"--threads", "3", "/a"}, true}, ParseCase{{}, false}, ParseCase{{"--filter"}, false},
                      ParseCase{{"--bogus", "/a"}, false}, ParseCase{{"--threads", "x", "/a"}, false},
                      ParseCase{{"--delete-below", "/a", "--delete-on-drive", "/b", "/a"}, false},
                      ParseCase{{""}, false}, ParseCase{{"/a", ""}, false}, ParseCase{{"--", ""}, false},
                      ParseCase{{"--delete-below", "", "--yes", "/a"}, false},
                      ParseCase{{"--delete-on-drive", "", "--yes", "/a"}, false},
                      ParseCase{{"--report", "", "/a"}, false}));

TEST(CliOptionsValues, KeepWhatWasGiven) {
  std::string error;
  const auto options =
      cli::ParseOptions({"--filter", "*.mp3", "--no-sort", "--report", "r.txt", "x", "--", "-y"}, error);
  ASSERT_TRUE(options.has_value());
  EXPECT_EQ(options->filter, "*.mp3");
  EXPECT_FALSE(options->sort);
  EXPECT_EQ(options->reportFile, "r.txt");
  EXPECT_EQ(options->paths, (std::vector<std::string>{"x", "-y"}));
  EXPECT_EQ(cli::Absolute("x/y", "/home/u"), "/home/u/x/y");
  EXPECT_EQ(cli::Absolute("/abs", "/home/u"), "/abs");
  EXPECT_EQ(cli::Absolute("x", "/"), "/x");
}

using CliResult = CliOutcome;

// Runs kestrilo-cli in the current folder, or in `folder` when one is given.
CliResult RunCli(const std::string& arguments, const std::string& folder = "") {
  return RunShellCommand((folder.empty() ? "" : "cd " + Quoted(folder) + " && ") + KESTRILO_CLI + " " + arguments +
                         " 2>/dev/null </dev/null");
}

TEST(CliRun, WritesTheNumberedRowsAsReportLines) {
  TempTree tree;
  tree.Write("b/one.txt", "same bytes");
  tree.Write("a/two.txt", "same bytes");
  tree.Write("a/lonely.txt", "other bytes");
  const CliResult run = RunCli("'" + tree.Root() + "'");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "1, two.txt, 10, " + tree.Root() + "/a\n1, one.txt, 10, " + tree.Root() + "/b\n");
}

TEST(CliRun, WritesTheReportFileAndTakesPathsInOrder) {
  TempTree tree;
  tree.Write("x/f", "dup");
  tree.Write("y/f", "dup");
  const std::string report = tree.Path("report.txt");
  const CliResult run = RunCli("--no-sort --report '" + report + "' '" + tree.Path("y") + "' '" + tree.Path("x") + "'");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(ReadWholeFile(report), "1, f, 3, " + tree.Path("y") + "\n1, f, 3, " + tree.Path("x") + "\n");
}

TEST(CliRun, ExitStatusTellsUsageErrorsAndFailures) {
  TempTree tree;
  tree.Write("f", "x");
  EXPECT_EQ(RunCli("").status, 2);
  EXPECT_EQ(RunCli("--nonsense '" + tree.Root() + "'").status, 2);
  EXPECT_EQ(RunCli("--report '" + tree.Path("missing/folder/r.txt") + "' '" + tree.Root() + "'").status, 1);
  EXPECT_EQ(RunCli("'" + tree.Path("no-such-path") + "'").status, 0);
}

TEST(CliRun, DeletesBelowAFolderOnlyWithConsent) {
  TempTree tree;
  tree.Write("keep/f", "dup");
  tree.Write("old/f", "dup");
  // No terminal answer: the default is no.
  EXPECT_EQ(RunCli("--delete-below '" + tree.Path("old") + "' '" + tree.Root() + "'").status, 0);
  EXPECT_EQ(ReadWholeFile(tree.Path("old/f")), "dup");
  const CliResult run = RunCli("--yes --delete-below '" + tree.Path("old") + "' '" + tree.Root() + "'");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(ReadWholeFile(tree.Path("keep/f")), "dup");
  EXPECT_FALSE(std::ifstream(tree.Path("old/f")).good());
  EXPECT_EQ(run.out, "1, f, 3, " + tree.Path("keep") + "\n");
}

// A file the user may not remove (run as a user id no account has, in a
// folder that only root may write) is named with its reason on standard
// error, and the exit status is 1. A dry run knows of no such failure ahead.
TEST(CliRun, AFileThatCouldNotBeDeletedIsNamedAndTheStatusIsOne) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root, to act as another user";
  TempTree tree;
  ::chmod(tree.Root().c_str(), 0755);
  tree.Write("keep/f", "dup");
  tree.Write("old/f", "dup");
  const std::string command = "setpriv --reuid=48611 --regid=48611 --clear-groups " + std::string(KESTRILO_CLI) +
                              " --delete-below " + Quoted(tree.Path("old")) + " " + Quoted(tree.Root());
  const std::string named = "kestrilo-cli: cannot delete " + tree.Path("old/f") + ": permission denied\n";

  const CliOutcome plan = RunShellCommand(command + " --dry-run 2>&1 >/dev/null </dev/null");
  EXPECT_EQ(plan.status, 0);
  EXPECT_EQ(plan.out.find("cannot delete"), std::string::npos) << plan.out;

  const CliOutcome run = RunShellCommand(command + " --yes 2>&1 >/dev/null </dev/null");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find(named), std::string::npos) << run.out;
  EXPECT_EQ(ReadWholeFile(tree.Path("old/f")), "dup");
}

TEST(CliRun, EmptyTextsAreRefusedNotTakenForTheCurrentFolder) {
  TempTree tree;
  tree.Write("a/f", "dup");
  tree.Write("b/f", "dup");
  for (const char* arguments : {"''", "--yes --delete-below '' ''", "--yes --delete-below '' .",
                                "--yes --delete-on-drive '' .", "--report '' ."}) {
    const CliResult run = RunCli(arguments, tree.Path("a"));
    EXPECT_EQ(run.status, 2) << arguments;
    EXPECT_EQ(run.out, "") << arguments;
  }
  EXPECT_EQ(ReadWholeFile(tree.Path("a/f")), "dup");
  EXPECT_EQ(ReadWholeFile(tree.Path("b/f")), "dup");
}

TEST(CliRun, RelativePathsNeedACurrentFolder) {
  TempTree tree;
  const std::string gone = tree.MakeFolder("gone");
  // Started in a folder that is removed before it runs.
  const CliResult run = RunCli("kestrilo-absent-name", gone + "' && rmdir '" + gone);
  EXPECT_EQ(run.status, 1);
}

TEST(CliRun, AHugeReaderCountIsLoweredNotFatal) {
  TempTree tree;
  tree.Write("a/f", "dup");
  tree.Write("b/f", "dup");
  const CliResult run = RunCli("--threads 100000 '" + tree.Root() + "'");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "1, f, 3, " + tree.Path("a") + "\n1, f, 3, " + tree.Path("b") + "\n");
}

TEST(CliRun, LowMemoryEndsWithOneMessageNotAnAbort) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "address-space limits do not work under the sanitizers";
#endif
  TempTree tree;
  for (int i = 0; i < 3000; ++i)
    tree.Write("d" + std::to_string(i % 7) + "/f" + std::to_string(i), std::to_string(i % 50));
  const std::string errors = tree.Path("errors.txt");
  for (const int mebibytes : {8, 16, 24}) {
    const std::string command = "ulimit -v " + std::to_string(mebibytes * 1024) + "; " + KESTRILO_CLI + " '" +
                                tree.Root() + "' >/dev/null 2>'" + errors + "'";
    const int status = std::system(("sh -c \"" + command + "\"").c_str());
    ASSERT_TRUE(WIFEXITED(status)) << mebibytes << " MiB: ended by a signal";
    if (WEXITSTATUS(status) == 0) continue;
    EXPECT_EQ(WEXITSTATUS(status), 1) << mebibytes << " MiB";
    const std::string text = ReadWholeFile(errors);
    const std::string lastLine = text.substr(text.rfind('\n', text.size() - 2) + 1);
    const bool told = lastLine == "kestrilo-cli: メモリが不足したため処理を終了しました\n" ||
                      lastLine.rfind("kestrilo-cli: システムの資源が不足したため処理を終了しました: ", 0) == 0;
    EXPECT_TRUE(told) << mebibytes << " MiB: " << lastLine;
  }
}

// kestrilo-cli started with `arguments`, its standard error going to `errors`.
pid_t StartCli(const std::vector<std::string>& arguments, const std::string& errors) {
  std::vector<char*> argv{const_cast<char*>(KESTRILO_CLI)};
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int err = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, 0);
    ::dup2(null, 1);
    ::dup2(err, 2);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  return pid;
}

std::int64_t ChangeTime(const std::string& path) {
  struct stat info {};
  ::stat(path.c_str(), &info);
  return static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
}

struct StopCase {
  int signal;
  int status;
};

class CliStop : public ::testing::TestWithParam<StopCase> {};

TEST_P(CliStop, ASignalEndsTheDeletionPassAndWritesNoReport) {
  TempTree tree;
  constexpr int kPairs = 4000;
  for (int i = 0; i < kPairs; ++i) {
    tree.Write("keep/f" + std::to_string(i), "content " + std::to_string(i));
    tree.Write("old/f" + std::to_string(i), "content " + std::to_string(i));
  }
  const std::string old = tree.Path("old");
  const std::string report = tree.Path("report.txt");
  const std::string errors = tree.Path("errors.txt");
  const std::int64_t before = ChangeTime(old);
  const pid_t pid =
      StartCli({"--no-sort", "--yes", "--delete-below", old, "--report", report, tree.Path("keep"), old}, errors);
  ASSERT_GT(pid, 0);
  // Rows of one group stay together (no sort by size); the folder changes
  // with the first removal.
  int status = 0;
  while (ChangeTime(old) == before) {
    ASSERT_EQ(::waitpid(pid, &status, WNOHANG), 0) << "ended before it removed anything";
  }
  ::kill(pid, GetParam().signal);
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), GetParam().status);

  int removed = 0;
  for (int i = 0; i < kPairs; ++i) {
    EXPECT_EQ(ReadWholeFile(tree.Path("keep/f" + std::to_string(i))), "content " + std::to_string(i));
    removed += std::filesystem::exists(tree.Path("old/f" + std::to_string(i))) ? 0 : 1;
  }
  EXPECT_GT(removed, 0);
  EXPECT_LT(removed, kPairs) << "the pass went on after the signal";
  EXPECT_NE(ReadWholeFile(errors).find("\n" + std::to_string(removed) + " 個のファイルを削除しました。\n"),
            std::string::npos)
      << ReadWholeFile(errors);
  EXPECT_FALSE(std::filesystem::exists(report));
}

INSTANTIATE_TEST_SUITE_P(Signals, CliStop, ::testing::Values(StopCase{SIGINT, 130}, StopCase{SIGTERM, 143}));

// A chain of `levels` nested folders named `name` below `root`, made one
// openat at a time, with at each level a file "x" of one of five contents and
// a file "u" of its own content.
void MakeChain(const std::string& root, const std::string& name, int levels) {
  int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  for (int level = 0; level < levels; ++level) {
    for (const auto& [file, content] :
         {std::pair{"x", "copy " + std::to_string(level % 5)}, std::pair{"u", "only " + std::to_string(level)}}) {
      const int out = ::openat(fd, file, O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
      ASSERT_EQ(::write(out, content.data(), content.size()), static_cast<ssize_t>(content.size()));
      ::close(out);
    }
    ASSERT_EQ(::mkdirat(fd, name.c_str(), 0700), 0);
    const int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::close(fd);
    ASSERT_GE(next, 0);
    fd = next;
  }
  ::close(fd);
}

// Report lines with the folder of each row replaced by its level below `root`.
std::vector<std::string> ByLevel(const std::string& report, const std::string& root, const std::string& name) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < report.size()) {
    const std::size_t end = report.find('\n', at);
    const std::string line = report.substr(at, end - at);
    at = end + 1;
    const std::size_t folderAt = line.rfind(", ") + 2;
    const std::size_t depth = line.size() - folderAt - root.size();
    std::string folder = root;
    for (std::size_t level = 0; level < depth / (name.size() + 1); ++level) folder += "/" + name;
    EXPECT_EQ(line.substr(folderAt), folder);
    lines.push_back(line.substr(0, folderAt) + std::to_string(depth / (name.size() + 1)));
  }
  return lines;
}

TEST(CliRun, PathsOfTenThousandBytesAreCheckedAndDeletedLikeShortOnes) {
  TempTree tree;
  constexpr int kLevels = 50;
  const std::string longName(200, 'd');
  const std::string deep = tree.MakeFolder("deep");
  const std::string shallow = tree.MakeFolder("shallow");
  MakeChain(deep, longName, kLevels);
  MakeChain(shallow, "s", kLevels);
  struct Outcome {
    CliResult run;
    std::string report;
    std::vector<int> left;  // levels whose "x" is still there
  };
  auto runOn = [&](const std::string& root, const std::string& name) {
    Outcome outcome;
    const std::string report = tree.Path(name.size() == 1 ? "shallow.txt" : "deep.txt");
    // Filtered, so that every folder's files come before its sub-folder's.
    outcome.run =
        RunCli("--filter '*' --no-sort --yes --delete-below '" + root + "' --report '" + report + "' '" + root + "'");
    outcome.report = ReadWholeFile(report);
    int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int level = 0; level < kLevels; ++level) {
      if (::faccessat(fd, "x", F_OK, 0) == 0) outcome.left.push_back(level);
      const int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      ::close(fd);
      fd = next;
    }
    ::close(fd);
    return outcome;
  };
  const Outcome shortPaths = runOn(shallow, "s");
  const Outcome longPaths = runOn(deep, longName);
  EXPECT_GT(deep.size() + kLevels * (longName.size() + 1), 10000u);

  EXPECT_EQ(longPaths.run.status, 0);
  EXPECT_EQ(shortPaths.run.status, 0);
  const auto shortLines = ByLevel(shortPaths.report, shallow, "s");
  EXPECT_EQ(shortLines.size(), 5u) << "the report lists the copy left of each content";
  EXPECT_EQ(ByLevel(longPaths.report, deep, longName), shortLines);
  EXPECT_EQ(shortPaths.left.size(), 5u) << "one copy of each of the five contents";
  EXPECT_EQ(longPaths.left, shortPaths.left);
}

}  // namespace
}  // namespace kestrilo::testing
