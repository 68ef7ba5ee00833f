#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "cli/cli_options.h"
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
                      ParseCase{{"--delete-below", "/a", "--yes", "/a"}, true}, ParseCase{{"--threads", "3", "/a"}, true},
                      ParseCase{{}, false}, ParseCase{{"--filter"}, false}, ParseCase{{"--bogus", "/a"}, false},
                      ParseCase{{"--threads", "x", "/a"}, false},
                      ParseCase{{"--delete-below", "/a", "--delete-on-drive", "/b", "/a"}, false}));

TEST(CliOptionsValues, KeepWhatWasGiven) {
  std::string error;
  const auto options = cli::ParseOptions({"--filter", "*.mp3", "--no-sort", "--report", "r.txt", "x", "--", "-y"}, error);
  ASSERT_TRUE(options.has_value());
  EXPECT_EQ(options->filter, "*.mp3");
  EXPECT_FALSE(options->sort);
  EXPECT_EQ(options->reportFile, "r.txt");
  EXPECT_EQ(options->paths, (std::vector<std::string>{"x", "-y"}));
  EXPECT_EQ(cli::Absolute("x/y", "/home/u"), "/home/u/x/y");
  EXPECT_EQ(cli::Absolute("/abs", "/home/u"), "/abs");
  EXPECT_EQ(cli::Absolute("x", "/"), "/x");
}

struct CliResult {
  int status = -1;
  std::string out;
};

CliResult RunCli(const std::string& arguments) {
  CliResult run;
  const std::string command = std::string(KESTRILO_CLI) + " " + arguments + " 2>/dev/null </dev/null";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, got);
  const int status = ::pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
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

}  // namespace
}  // namespace kestrilo::testing
