#include "fingerprint/md5.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace kestrilo {
namespace {

struct DigestCase {
  std::string message;
  std::string_view hex;
};

class Md5KnownDigestTest : public ::testing::TestWithParam<DigestCase> {};

TEST_P(Md5KnownDigestTest, OneShot) { EXPECT_EQ(Md5Hex(Md5Of(GetParam().message)), GetParam().hex); }

TEST_P(Md5KnownDigestTest, ByteByByte) {
  Md5 md5;
  for (const char c : GetParam().message) md5.Add(&c, 1);
  EXPECT_EQ(Md5Hex(md5.Finish()), GetParam().hex);
}

INSTANTIATE_TEST_SUITE_P(
    Rfc1321Suite, Md5KnownDigestTest,
    ::testing::Values(DigestCase{"", "d41d8cd98f00b204e9800998ecf8427e"},
                      DigestCase{"a", "0cc175b9c0f1b6a831c399e269772661"},
                      DigestCase{"abc", "900150983cd24fb0d6963f7d28e17f72"},
                      DigestCase{"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
                      DigestCase{"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
                      DigestCase{"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
                                 "d174ab98d277d9f5a5611c2c9f419d9f"},
                      DigestCase{"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
                                 "57edf4a22be3c955ac49da2e2107b67a"}));

// Lengths around the padding boundaries: the length field fits into the last
// block up to 55 bytes and needs a block of its own from 56.
INSTANTIATE_TEST_SUITE_P(PaddingBoundaries, Md5KnownDigestTest,
                         ::testing::Values(DigestCase{std::string(55, 'x'), "04364420e25c512fd958a70738aa8f72"},
                                           DigestCase{std::string(56, 'x'), "668a72d5ba17f08e62dabcafad6db14b"},
                                           DigestCase{std::string(57, 'x'), "693037871c4a9d3d8685018905cb530a"},
                                           DigestCase{std::string(63, 'x'), "7dc2ca208106a2f703567bdff99d8981"},
                                           DigestCase{std::string(64, 'x'), "c1bb4f81d892b2d57947682aeb252456"},
                                           DigestCase{std::string(65, 'x'), "1bc932052302d074bdec39795fe00cf6"},
                                           DigestCase{std::string(119, 'x'), "ab347a5f68c8a443cfcddc633f12c24f"},
                                           DigestCase{std::string(120, 'x'), "fb98667f98096de92620b64f46e1c5b5"},
                                           DigestCase{std::string(128, 'x'), "d69cb61a6ee87200676eb0d4b90edbcb"}));

std::string Message200() {
  std::string message;
  for (int i = 0; i < 200; ++i) message.push_back(static_cast<char>((i * 37 + 11) & 0xFF));
  return message;
}

TEST(Md5, SplittingTheInputAnywhereGivesTheSameDigest) {
  const std::string message = Message200();
  const Md5Digest whole = Md5Of(message);
  for (std::size_t cut = 0; cut <= message.size(); ++cut) {
    Md5 md5;
    md5.Add(message.data(), cut);
    md5.Add(message.data() + cut, message.size() - cut);
    ASSERT_EQ(md5.Finish(), whole) << "cut at " << cut;
  }
  for (std::size_t first = 0; first <= message.size(); first += 7) {
    for (std::size_t second = first; second <= message.size(); second += 13) {
      Md5 md5;
      md5.Add(message.data(), first);
      md5.Add(message.data() + first, second - first);
      md5.Add(message.data() + second, message.size() - second);
      ASSERT_EQ(md5.Finish(), whole) << "cuts at " << first << " and " << second;
    }
  }
}

TEST(Md5, StartForgetsEarlierInput) {
  Md5 md5;
  md5.Add("some earlier input that is longer than one block of sixty-four bytes", 68);
  md5.Start();
  md5.Add("abc", 3);
  EXPECT_EQ(Md5Hex(md5.Finish()), "900150983cd24fb0d6963f7d28e17f72");
}

TEST(Md5, HexHasTwoLowercaseDigitsPerByte) {
  Md5Digest digest{};
  digest[0] = 0x00;
  digest[1] = 0x01;
  digest[2] = 0x0a;
  digest[3] = 0xAB;
  digest[15] = 0xff;
  EXPECT_EQ(Md5Hex(digest), "00010aab0000000000000000000000ff");
}

// Side by side, each lane gets the digest its message gets alone: all lanes of
// one length, at every length around the padding's boundaries and at the
// length of a head, and lanes of lengths that differ, ending in different
// blocks.
TEST(Md5, LanesGiveEachMessageItsOwnDigest) {
  std::vector<std::array<std::size_t, kMd5Lanes>> rows;
  for (const std::size_t size : {0, 1, 55, 56, 63, 64, 119, 120, 2047, 2048, 3000}) {
    rows.push_back({size, size, size, size, size, size, size, size});
  }
  rows.push_back({2048, 0, 55, 56, 64, 1000, 2047, 120});
  rows.push_back({1, 3000, 63, 119, 2048, 0, 640, 641});
  for (const auto& sizes : rows) {
    std::array<std::string, kMd5Lanes> messages;
    std::array<const std::uint8_t*, kMd5Lanes> pointers;
    for (std::size_t lane = 0; lane < kMd5Lanes; ++lane) {
      messages[lane].resize(sizes[lane]);
      for (std::size_t i = 0; i < sizes[lane]; ++i) {
        messages[lane][i] = static_cast<char>(i * 131 + lane * 977 + i / 253);
      }
      pointers[lane] = reinterpret_cast<const std::uint8_t*>(messages[lane].data());
    }
    const auto digests = Md5OfLanes(pointers, sizes);
    for (std::size_t lane = 0; lane < kMd5Lanes; ++lane) {
      EXPECT_EQ(Md5Hex(digests[lane]), Md5Hex(Md5Of(messages[lane]))) << sizes[lane] << " bytes, lane " << lane;
    }
  }
}

}  // namespace
}  // namespace kestrilo
