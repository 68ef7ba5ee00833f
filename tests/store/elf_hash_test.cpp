#include "store/elf_hash.h"

#include <gtest/gtest.h>

#include <string_view>

namespace kestrilo {
namespace {

struct HashCase {
  std::string_view text;
  std::uint32_t hash;
};

class ElfHashTest : public ::testing::TestWithParam<HashCase> {};

TEST_P(ElfHashTest, MatchesTheSystemVValues) { EXPECT_EQ(ElfHash(GetParam().text), GetParam().hash); }

INSTANTIATE_TEST_SUITE_P(KnownTexts, ElfHashTest,
                         ::testing::Values(HashCase{"", 0x0}, HashCase{"a", 0x61}, HashCase{"printf", 0x077905a6},
                                           HashCase{"syscall", 0x0b09985c},
                                           // Bytes above 0x7f count as unsigned, not sign-extended.
                                           HashCase{"\xff", 0xff}, HashCase{"\x80\x81\xfe", 0x890e},
                                           // Signatures are long enough for the high nibble to fold back.
                                           HashCase{"900150983cd24fb0d6963f7d28e17f723", 0x0e682963},
                                           HashCase{"d41d8cd98f00b204e9800998ecf8427e4294967295", 0x0945d3e5}));

TEST(ElfHash, NeverSetsTheTopFourBits) {
  std::string text;
  for (int i = 0; i < 300; ++i) {
    text.push_back(static_cast<char>(0x80 + i % 128));
    EXPECT_EQ(ElfHash(text) & 0xF0000000u, 0u) << "length " << text.size();
  }
}

}  // namespace
}  // namespace kestrilo
