#include "cli/output_format.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "cli/run_cli.h"
#include "support/result_rows.h"
#include "support/temp_tree.h"

namespace kestrilo::testing {
namespace {

struct JsonCase {
  std::string bytes;
  std::string json;
};

class JsonStringForm : public ::testing::TestWithParam<JsonCase> {};

TEST_P(JsonStringForm, KeepsValidUtf8AndEscapesEveryOtherByte) {
  EXPECT_EQ(cli::JsonString(GetParam().bytes), GetParam().json);
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, JsonStringForm,
    ::testing::Values(JsonCase{"plain, -x.txt", "\"plain, -x.txt\""}, JsonCase{"q\"b\\", "\"q\\\"b\\\\\""},
                      JsonCase{"a\nb\tc\x01\x7f", "\"a\\nb\\tc\\u0001\\u007f\""},
                      JsonCase{"写真 1.jpg", "\"写真 1.jpg\""}, JsonCase{"\xf0\x9f\x98\x80", "\"\xf0\x9f\x98\x80\""},
                      JsonCase{"bad\xff\xfe", "\"bad\\udcff\\udcfe\""},
                      // Overlong slash, an encoded surrogate, a cut-off sequence, beyond U+10FFFF.
                      JsonCase{"\xc0\xaf", "\"\\udcc0\\udcaf\""}, JsonCase{"\xed\xa0\x80", "\"\\udced\\udca0\\udc80\""},
                      JsonCase{"\xe5\x86", "\"\\udce5\\udc86\""},
                      JsonCase{"\xf4\x90\x80\x80x", "\"\\udcf4\\udc90\\udc80\\udc80x\""}));

TEST(FdupesLine, EscapesOnlyBackslashAndNewline) {
  EXPECT_EQ(cli::EscapedLine("/d/-a, b\xff"), "/d/-a, b\xff");
  EXPECT_EQ(cli::EscapedLine("/d/a\nb\\n"), "/d/a\\nb\\\\n");
}

TEST(Listing, GroupsInNumberOrderAndLeavesOutRowsWithoutNumber) {
  ResultSet grid;
  grid.Replace({MadeRow(2, "b", 7, "/x"), MadeRow(1, "a", 3, "/x"), MadeRow(2, "gone", 7, "/y", true),
                MadeRow(2, "b", 7, ""), MadeRow(1, "a", 3, "/z"), MadeRow(0, "lonely", 9, "/x")});
  EXPECT_EQ(cli::ListingText(grid, cli::OutputFormat::Fdupes, 9), "/x/a\n/z/a\n\n/x/b\n/b\n\n");
  EXPECT_EQ(cli::ListingText(grid, cli::OutputFormat::Json, 9),
            "{\n  \"groups\": [\n"
            "    {\"group\": 1, \"size\": 3, \"paths\": [\"/x/a\", \"/z/a\"]},\n"
            "    {\"group\": 2, \"size\": 7, \"paths\": [\"/x/b\", \"/b\"]}\n  ],\n"
            "  \"group_count\": 2,\n  \"files_in_groups\": 4,\n  \"files_registered\": 9\n}\n");
  EXPECT_EQ(cli::ListingText(grid, cli::OutputFormat::Report, 9), "2, b, 7, /x\n1, a, 3, /x\n2, b, 7, \n1, a, 3, /z\n");
  ResultSet empty;
  EXPECT_EQ(cli::ListingText(empty, cli::OutputFormat::Fdupes, 0), "");
  EXPECT_EQ(cli::ListingText(empty, cli::OutputFormat::Json, 0),
            "{\n  \"groups\": [],\n  \"group_count\": 0,\n  \"files_in_groups\": 0,\n  \"files_registered\": 0\n}\n");
}

// Awkward names: a newline, a comma and blank, a leading dash, bytes that are
// not UTF-8, a backslash.
const std::vector<std::string> kAwkwardNames{"two\nlines", "a, b", "-rf", "bad\xff\xfe", "back\\slash", "写真"};

TEST(CliFormats, JsonCarriesEveryNameBackToItsBytes) {
  TempTree tree;
  std::vector<std::string> expected;
  for (const auto& name : kAwkwardNames) expected.push_back(tree.Write("d/" + name, "same content"));
  tree.Write("d/other", "different");
  std::sort(expected.begin(), expected.end());
  // Python turns the escaped bytes back with os.fsencode (surrogateescape).
  const CliOutcome run =
      RunCliThrough("--format json " + Quoted(tree.Root()),
                    "python3 -c " + Quoted("import json, os, sys\n"
                                           "d = json.load(sys.stdin)\n"
                                           "assert d['group_count'] == 1 and d['files_registered'] == 7\n"
                                           "paths = sorted(os.fsencode(p) for g in d['groups'] for p in g['paths'])\n"
                                           "sys.stdout.buffer.write(b'\\0'.join(paths))\n"));
  EXPECT_EQ(run.status, 0);
  std::string joined;
  for (const auto& path : expected) joined += (joined.empty() ? "" : std::string(1, '\0')) + path;
  EXPECT_EQ(run.out, joined);
}

TEST(CliFormats, FdupesGivesOneEscapedPathPerLineAndABlankLineAfterEachGroup) {
  TempTree tree;
  std::vector<std::string> expected;
  for (const auto& name : kAwkwardNames) expected.push_back(cli::EscapedLine(tree.Write("d/" + name, "same content")));
  tree.Write("e/x", "pair");
  tree.Write("e/y", "pair");
  const CliOutcome run = RunCliThrough("--format fdupes --report /dev/stdout " + Quoted(tree.Root()));
  EXPECT_EQ(run.status, 0);
  std::vector<std::vector<std::string>> groups(1);
  std::size_t start = 0;
  for (std::size_t end; (end = run.out.find('\n', start)) != std::string::npos; start = end + 1) {
    const std::string line = run.out.substr(start, end - start);
    if (line.empty()) {
      groups.emplace_back();
    } else {
      groups.back().push_back(line);
    }
  }
  EXPECT_EQ(start, run.out.size());
  ASSERT_EQ(groups.size(), 3u);
  EXPECT_TRUE(groups.back().empty());
  if (groups[0].size() < groups[1].size()) std::swap(groups[0], groups[1]);
  std::sort(expected.begin(), expected.end());
  std::sort(groups[0].begin(), groups[0].end());
  EXPECT_EQ(groups[0], expected);
  EXPECT_EQ(groups[1], (std::vector<std::string>{tree.Path("e/x"), tree.Path("e/y")}));
}

}  // namespace
}  // namespace kestrilo::testing
