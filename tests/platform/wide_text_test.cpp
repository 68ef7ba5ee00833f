#include "platform/wide_text.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrilo {
namespace {

struct WideCase {
  const char* utf8;
  std::u16string wide;
};

class WideTextTable : public ::testing::TestWithParam<WideCase> {};

TEST_P(WideTextTable, ConvertsBothWaysUnchanged) {
  const auto& c = GetParam();
  EXPECT_EQ(WidenUtf8(c.utf8), c.wide);
  EXPECT_EQ(NarrowToUtf8(c.wide), c.utf8);
}

INSTANTIATE_TEST_SUITE_P(Texts, WideTextTable,
                         ::testing::Values(WideCase{"", u""}, WideCase{"plain.txt", u"plain.txt"},
                                           WideCase{"\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", u"\u65E5\u672C\u8A9E"},
                                           WideCase{"caf\xC3\xA9\xE2\x98\x83", u"caf\u00E9\u2603"},
                                           // Beyond the basic plane: a surrogate pair.
                                           WideCase{"\xF0\x9F\x98\x80", u"\U0001F600"},
                                           // A lone surrogate, as NTFS allows in names.
                                           WideCase{"a\xED\xA0\x80z", std::u16string{u'a', char16_t(0xD800), u'z'}}));

TEST(WidenUtf8, RefusesWhatIsNoUtf8) {
  for (const char* text : {"\xFF", "\xC0\xAF", "\xE3\x81", "\xF4\x90\x80\x80", "ok\x80"}) {
    EXPECT_FALSE(WidenUtf8(text).has_value()) << text;
  }
}

}  // namespace
}  // namespace kestrilo
