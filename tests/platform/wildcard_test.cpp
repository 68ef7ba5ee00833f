#include "platform/wildcard.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace kestrilo {
namespace {

struct WildcardCase {
  const char* pattern;
  const char* name;
  bool matches;
};

std::ostream& operator<<(std::ostream& out, const WildcardCase& c) {
  return out << '"' << c.pattern << "\" vs \"" << c.name << "\" -> " << (c.matches ? "match" : "no match");
}

class WildcardTable : public ::testing::TestWithParam<WildcardCase> {};

TEST_P(WildcardTable, MatchesLikeTheFileSearch) {
  const auto& c = GetParam();
  EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.matches);
}

INSTANTIATE_TEST_SUITE_P(Literals, WildcardTable,
                         ::testing::Values(WildcardCase{"readme.txt", "readme.txt", true},
                                           WildcardCase{"readme.txt", "readme.tx", false},
                                           WildcardCase{"readme.txt", "readme.txt2", false},
                                           WildcardCase{"readme", "readme.txt", false}, WildcardCase{"a", "b", false},
                                           WildcardCase{"", "", true}, WildcardCase{"", "a", false},
                                           WildcardCase{"a", "", false}));

INSTANTIATE_TEST_SUITE_P(Star, WildcardTable,
                         ::testing::Values(WildcardCase{"*", "anything.at.all", true},
                                           WildcardCase{"*", ".hidden", true}, WildcardCase{"*.txt", "notes.txt", true},
                                           WildcardCase{"*.txt", ".txt", true},
                                           WildcardCase{"*.txt", "notes.txt.bak", false},
                                           WildcardCase{"*.txt", "a.b.txt", true}, WildcardCase{"a*", "a", true},
                                           WildcardCase{"a*b", "ab", true}, WildcardCase{"a*b", "axxxb", true},
                                           WildcardCase{"a*b", "axxxbc", false}, WildcardCase{"a*b*c", "abbbcbc", true},
                                           WildcardCase{"a*b*c", "acb", false}, WildcardCase{"**x", "x", true},
                                           WildcardCase{"*x*", "yyy", false}, WildcardCase{"*ab", "aab", true},
                                           WildcardCase{"*aab", "aaab", true}, WildcardCase{"x*", "", false},
                                           WildcardCase{"*", "", true}));

INSTANTIATE_TEST_SUITE_P(Question, WildcardTable,
                         ::testing::Values(WildcardCase{"?", "a", true}, WildcardCase{"?", "", false},
                                           WildcardCase{"?", "ab", false}, WildcardCase{"file?.log", "file1.log", true},
                                           WildcardCase{"file?.log", "file.log", false},
                                           WildcardCase{"file?.log", "file12.log", false},
                                           WildcardCase{"??.*", "ab.c", true}, WildcardCase{"*?", "a", true},
                                           WildcardCase{"?*?", "a", false}, WildcardCase{"*.?", "x.y", true},
                                           WildcardCase{"*.?", "x.yz", false}));

INSTANTIATE_TEST_SUITE_P(AsciiCase, WildcardTable,
                         ::testing::Values(WildcardCase{"*.JPG", "photo.jpg", true},
                                           WildcardCase{"*.jpg", "PHOTO.JPG", true},
                                           WildcardCase{"ReadMe", "rEADmE", true}, WildcardCase{"@[", "`{", false},
                                           WildcardCase{"[", "{", false}));

// "*.*" and every pattern ending in ".*" also match where the name has no dot
// left for the final ".*".
INSTANTIATE_TEST_SUITE_P(DotStar, WildcardTable,
                         ::testing::Values(WildcardCase{"*.*", "plain", true}, WildcardCase{"*.*", "a.b", true},
                                           WildcardCase{"*.*", ".profile", true},
                                           WildcardCase{"*.*", "trailing.", true}, WildcardCase{"abc.*", "abc", true},
                                           WildcardCase{"abc.*", "abc.def", true}, WildcardCase{"abc.*", "abc.", true},
                                           WildcardCase{"abc.*", "abcd", false}, WildcardCase{"abc.*", "ab", false},
                                           WildcardCase{"ABC.*", "abc", true}, WildcardCase{"a.b.*", "a.b", true},
                                           WildcardCase{"a?.*", "ax", true}, WildcardCase{"abc.**", "abc", true},
                                           WildcardCase{".*", ".bashrc", true}, WildcardCase{".*", "bashrc", false},
                                           WildcardCase{"abc.*x", "abc", false}, WildcardCase{"abc*", "abc.txt", true},
                                           WildcardCase{"abc.", "abc", false}));

// A character is a whole UTF-8 sequence; bytes that do not form one count one by one.
INSTANTIATE_TEST_SUITE_P(
    Utf8, WildcardTable,
    ::testing::Values(WildcardCase{"?", "\xC3\xA9", true},              // é
                      WildcardCase{"??", "\xC3\xA9", false},            // é is one character
                      WildcardCase{"?.txt", "\xE6\x97\xA5.txt", true},  // 日.txt
                      WildcardCase{"??.txt", "\xE6\x97\xA5\xE6\x9C\xAC.txt", true},
                      WildcardCase{"?", "\xF0\x9F\x98\x80", true},  // one four-byte character
                      WildcardCase{"*??", "\xE2\x82\xAC", false},   // a star never splits a character
                      WildcardCase{"*?", "\xE2\x82\xAC", true}, WildcardCase{"?", "\xFF", true},  // invalid byte
                      WildcardCase{"??", "\xFF\xFE", true}, WildcardCase{"?", "\xFF\xFE", false},
                      WildcardCase{"??", "\xC3", false},               // truncated sequence: one byte
                      WildcardCase{"??", "\xC3(", true},               // lead byte then ASCII: two
                      WildcardCase{"???", "\xE0\x80\x80", true},       // overlong form: three bytes
                      WildcardCase{"???", "\xED\xA0\x80", true},       // surrogate: three bytes
                      WildcardCase{"????", "\xF4\x90\x80\x80", true},  // above U+10FFFF: four bytes
                      WildcardCase{"\xC3\xA9*", "\xC3\xA9t\xC3\xA9", true},
                      WildcardCase{"\xC3\x89", "\xC3\xA9", false},  // É is not folded to é
                      WildcardCase{"\xC3*", "\xC3\xA9", false},     // a lone lead byte is not half of é
                      WildcardCase{"*.\xFF", "x.\xFF", true}, WildcardCase{"\xE6\x97\xA5.*", "\xE6\x97\xA5", true}));

TEST(Wildcard, ManyStarsAgainstLongNamesFinish) {
  const std::string name(20000, 'a');
  std::string pattern;
  for (int i = 0; i < 200; ++i) pattern += "*a";
  EXPECT_TRUE(WildcardMatch(pattern, name));
  EXPECT_FALSE(WildcardMatch(pattern + "*b", name));
  EXPECT_FALSE(WildcardMatch(pattern + "b.*", name));
  EXPECT_TRUE(WildcardMatch(pattern + ".*", name));

  std::string questions;
  for (int i = 0; i < 300; ++i) questions += "*?";
  EXPECT_TRUE(WildcardMatch(questions, name));
  EXPECT_FALSE(WildcardMatch(questions, std::string(299, 'a')));
}

}  // namespace
}  // namespace kestrilo
