#include "platform/path_text.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace kestrilo {
namespace {

// The cases are written with `/`; on Windows they hold its separator.
std::string Native(std::string_view text) {
  std::string native(text);
  for (auto& c : native) {
    if (c == '/') c = kSeparator;
  }
  return native;
}

struct SplitCase {
  const char* path;
  const char* folder;
  const char* name;
  bool hadSeparator;
};

std::ostream& operator<<(std::ostream& out, const SplitCase& c) { return out << '"' << c.path << '"'; }

class SplitTable : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitTable, SplitsAtTheLastSeparatorAndJoinsBack) {
  const auto& c = GetParam();
  const std::string path = Native(c.path);
  const SplitPath split = SplitAtLastSeparator(path);
  EXPECT_EQ(split.folder, Native(c.folder));
  EXPECT_EQ(split.name, Native(c.name));
  EXPECT_EQ(split.hadSeparator, c.hadSeparator);
  if (split.hadSeparator) {
    EXPECT_EQ(JoinFolderAndName(split.folder, split.name), path);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, SplitTable,
    ::testing::Values(SplitCase{"/a/b.txt", "/a", "b.txt", true}, SplitCase{"/x", "", "x", true},
                      SplitCase{"b.txt", "", "b.txt", false}, SplitCase{"", "", "", false},
                      SplitCase{"/", "", "", true}, SplitCase{"/a/", "/a", "", true},
                      SplitCase{"/a//b", "/a/", "b", true}, SplitCase{"rel/dir/f", "rel/dir", "f", true},
                      SplitCase{"/home/\xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB/\xE5\x90\x8D.txt",
                                "/home/\xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB", "\xE5\x90\x8D.txt", true},
                      SplitCase{"/bad\xFF\xFE/\x80\x2F\xC3", "/bad\xFF\xFE/\x80", "\xC3", true},
                      SplitCase{"/d/.hidden", "/d", ".hidden", true}));

TEST(PathText, SplitKeepsEmbeddedNulBytes) {
  const std::string path = Native(std::string_view("/a\0b/c\0d", 8));
  const SplitPath split = SplitAtLastSeparator(path);
  EXPECT_EQ(split.folder, Native(std::string_view("/a\0b", 4)));
  EXPECT_EQ(split.name, std::string_view("c\0d", 3));
  EXPECT_EQ(JoinFolderAndName(split.folder, split.name), path);
}

TEST(PathText, TrailingSeparator) {
  EXPECT_TRUE(EndsWithSeparator(Native("/")));
  EXPECT_TRUE(EndsWithSeparator(Native("/a/")));
  EXPECT_FALSE(EndsWithSeparator(Native("/a")));
  EXPECT_FALSE(EndsWithSeparator(Native("")));
  EXPECT_FALSE(EndsWithSeparator(Native("/a/\xE6\x97\xA5")));

  EXPECT_EQ(WithTrailingSeparator(Native("/a")), Native("/a/"));
  EXPECT_EQ(WithTrailingSeparator(Native("/a/")), Native("/a/"));
  EXPECT_EQ(WithTrailingSeparator(Native("/")), Native("/"));
  EXPECT_EQ(WithTrailingSeparator(Native("")), Native("/"));
  EXPECT_EQ(WithTrailingSeparator(Native("/n\xFF")), Native("/n\xFF/"));
}

TEST(PathText, FolderPartKeepsItsSeparator) {
  EXPECT_EQ(FolderPartWithSeparator(Native("/a/b/*.txt")), Native("/a/b/"));
  EXPECT_EQ(FolderPartWithSeparator(Native("/a/sub/*.txt")), Native("/a/sub/"));
  EXPECT_EQ(FolderPartWithSeparator(Native("/x")), Native("/"));
  EXPECT_EQ(FolderPartWithSeparator(Native("*.*")), Native(""));
  EXPECT_EQ(FolderPartWithSeparator(Native("/a/")), Native("/a/"));
}

TEST(PathText, JoinPutsOneSeparatorBetween) {
  EXPECT_EQ(JoinFolderAndName(Native(""), "x"), Native("/x"));
  EXPECT_EQ(JoinFolderAndName(Native("/a"), "b"), Native("/a/b"));
  EXPECT_EQ(JoinFolderAndName(Native("/a\xFF"), "\xFE"), Native("/a\xFF/\xFE"));
}

}  // namespace
}  // namespace kestrilo
