#include "platform/path_text.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace kestrilo {
namespace {

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
  const SplitPath split = SplitAtLastSeparator(c.path);
  EXPECT_EQ(split.folder, c.folder);
  EXPECT_EQ(split.name, c.name);
  EXPECT_EQ(split.hadSeparator, c.hadSeparator);
  if (split.hadSeparator) {
    EXPECT_EQ(JoinFolderAndName(split.folder, split.name), c.path);
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
  const std::string path("/a\0b/c\0d", 8);
  const SplitPath split = SplitAtLastSeparator(path);
  EXPECT_EQ(split.folder, std::string_view("/a\0b", 4));
  EXPECT_EQ(split.name, std::string_view("c\0d", 3));
  EXPECT_EQ(JoinFolderAndName(split.folder, split.name), path);
}

TEST(PathText, TrailingSeparator) {
  EXPECT_TRUE(EndsWithSeparator("/"));
  EXPECT_TRUE(EndsWithSeparator("/a/"));
  EXPECT_FALSE(EndsWithSeparator("/a"));
  EXPECT_FALSE(EndsWithSeparator(""));
  EXPECT_FALSE(EndsWithSeparator("/a/\xE6\x97\xA5"));

  EXPECT_EQ(WithTrailingSeparator("/a"), "/a/");
  EXPECT_EQ(WithTrailingSeparator("/a/"), "/a/");
  EXPECT_EQ(WithTrailingSeparator("/"), "/");
  EXPECT_EQ(WithTrailingSeparator(""), "/");
  EXPECT_EQ(WithTrailingSeparator("/n\xFF"), "/n\xFF/");
}

TEST(PathText, FolderPartKeepsItsSeparator) {
  EXPECT_EQ(FolderPartWithSeparator("/a/b/*.txt"), "/a/b/");
  EXPECT_EQ(FolderPartWithSeparator("/a/sub/*.txt"), "/a/sub/");
  EXPECT_EQ(FolderPartWithSeparator("/x"), "/");
  EXPECT_EQ(FolderPartWithSeparator("*.*"), "");
  EXPECT_EQ(FolderPartWithSeparator("/a/"), "/a/");
}

TEST(PathText, JoinPutsOneSeparatorBetween) {
  EXPECT_EQ(JoinFolderAndName("", "x"), "/x");
  EXPECT_EQ(JoinFolderAndName("/a", "b"), "/a/b");
  EXPECT_EQ(JoinFolderAndName("/a\xFF", "\xFE"), "/a\xFF/\xFE");
}

}  // namespace
}  // namespace kestrilo
