#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <vector>

#include "cli/cli_options.h"
#include "cli/run_cli.h"
#include "support/temp_tree.h"

namespace kestrilo::testing {
namespace {

TEST(CliDryRun, NamesEachFileThatWouldGoWithTheCopyThatStaysAndDeletesNothing) {
  TempTree tree;
  tree.Write("keep/f", "dup");
  tree.Write("old/f", "dup");
  tree.Write("old/sub/g\nh", "dup");
  tree.Write("old/pair1", "other");
  tree.Write("old/pair2", "other");
  const std::string report = tree.Path("after.txt");
  const CliOutcome run =
      RunCliThrough("--no-sort --dry-run --report " + Quoted(report) + " --delete-below " + Quoted(tree.Path("old")) +
                    " " + Quoted(tree.Path("keep")) + " " + Quoted(tree.Path("old")));
  EXPECT_EQ(run.status, 0);
  // Plan entries in any order: the walk takes a folder's entries as the
  // system lists them. Both pair files lie below old/, so one of them stays.
  std::vector<std::string> lines;
  for (std::size_t at = 0, end; (end = run.out.find('\n', at)) != std::string::npos; at = end + 1) {
    lines.push_back(run.out.substr(at, end + 1 - at));
  }
  ASSERT_EQ(lines.size(), 6u) << run.out;
  std::set<std::string> entries;
  for (std::size_t i = 0; i < lines.size(); i += 2) entries.insert(lines[i] + lines[i + 1]);
  const std::string keep = "keep " + tree.Path("keep/f") + "\n";
  const std::string pair1 = tree.Path("old/pair1") + "\n";
  const std::string pair2 = tree.Path("old/pair2") + "\n";
  const std::string pairEntry = entries.contains("delete " + pair1 + "keep " + pair2)
                                    ? "delete " + pair1 + "keep " + pair2
                                    : "delete " + pair2 + "keep " + pair1;
  EXPECT_EQ(entries, (std::set<std::string>{"delete " + tree.Path("old/f") + "\n" + keep,
                                            "delete " + tree.Path("old/sub/g\\nh") + "\n" + keep, pairEntry}))
      << run.out;
  for (const char* file : {"keep/f", "old/f", "old/sub/g\nh", "old/pair1", "old/pair2"}) {
    EXPECT_TRUE(std::ifstream(tree.Path(file)).good()) << file;
  }
  // The report shows what the deletion would leave.
  const std::string written = ReadWholeFile(report);
  EXPECT_NE(written.find(tree.Path("keep")), std::string::npos);
  EXPECT_EQ(written.find("g\nh"), std::string::npos);
}

TEST(CliDryRun, NeedsADeletionOption) {
  std::string error;
  EXPECT_FALSE(cli::ParseOptions({"--dry-run", "/a"}, error));
  EXPECT_TRUE(cli::ParseOptions({"--dry-run", "--delete-on-drive", "/a", "/a"}, error));
  EXPECT_EQ(RunCliThrough("--dry-run /tmp").status, 2);
}

}  // namespace
}  // namespace kestrilo::testing
