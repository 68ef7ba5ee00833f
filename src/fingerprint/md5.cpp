#include "fingerprint/md5.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace kestrilo {

namespace {

// Per-step shift amounts and additive constants (floor(abs(sin(i + 1)) * 2^32)).
constexpr std::uint32_t kShift[64] = {
    7,  12, 17, 22, 7,  12, 17, 22, 7,  12, 17, 22, 7,  12, 17, 22, 5,  9,  14, 20, 5,  9,
    14, 20, 5,  9,  14, 20, 5,  9,  14, 20, 4,  11, 16, 23, 4,  11, 16, 23, 4,  11, 16, 23,
    4,  11, 16, 23, 6,  10, 15, 21, 6,  10, 15, 21, 6,  10, 15, 21, 6,  10, 15, 21,
};

constexpr std::uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};

std::uint32_t LoadLittle(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// One 32-bit word of each of kMd5Lanes messages, in a vector that GCC and
// Clang split into as many registers as the target has.
using Lanes = std::uint32_t __attribute__((vector_size(4 * kMd5Lanes)));

// One of the 64 steps, unrolled at compile time, on one message's words or on
// the lanes of several: the digest of a file's first 2048 bytes is the walk's
// main cost in instructions.
template <std::size_t I, typename Word>
[[gnu::always_inline]] inline void Step(Word& a, const Word& b, const Word& c, const Word& d, const Word* x) {
  Word f;
  std::size_t g;
  if constexpr (I < 16) {
    f = d ^ (b & (c ^ d));
    g = I;
  } else if constexpr (I < 32) {
    f = c ^ (d & (b ^ c));
    g = (5 * I + 1) % 16;
  } else if constexpr (I < 48) {
    f = b ^ c ^ d;
    g = (3 * I + 5) % 16;
  } else {
    f = c ^ (b | ~d);
    g = (7 * I) % 16;
  }
  // A rotation by a shift of 4 to 23, as plain shifts so that it works on lanes too.
  const Word sum = a + f + kSine[I] + x[g];
  a = b + ((sum << kShift[I]) | (sum >> (32 - kShift[I])));
}

// Step I works on the four state words rotated by I positions.
template <std::size_t I, typename Word>
[[gnu::always_inline]] inline void RotatedStep(Word& a, Word& b, Word& c, Word& d, const Word* x) {
  if constexpr (I % 4 == 0) {
    Step<I>(a, b, c, d, x);
  } else if constexpr (I % 4 == 1) {
    Step<I>(d, a, b, c, x);
  } else if constexpr (I % 4 == 2) {
    Step<I>(c, d, a, b, x);
  } else {
    Step<I>(b, c, d, a, x);
  }
}

template <typename Word, std::size_t... I>
[[gnu::always_inline]] inline void AllSteps(Word& a, Word& b, Word& c, Word& d, const Word* x,
                                            std::index_sequence<I...>) {
  (RotatedStep<I>(a, b, c, d, x), ...);
}

// One 64-byte block of each message; `blocks[lane]` points at that lane's.
void TransformLanes(std::array<Lanes, 4>& state, const std::array<const std::uint8_t*, kMd5Lanes>& blocks) {
  Lanes x[16];
  for (std::size_t word = 0; word < 16; ++word) {
    for (std::size_t lane = 0; lane < kMd5Lanes; ++lane) x[word][lane] = LoadLittle(blocks[lane] + 4 * word);
  }
  Lanes a = state[0], b = state[1], c = state[2], d = state[3];
  AllSteps(a, b, c, d, x, std::make_index_sequence<64>{});
  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
}

void StoreLittle(std::uint32_t value, std::uint8_t* p) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

void Md5::Start() {
  state_ = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
  bitCount_ = 0;
  buffer_.fill(0);
}

void Md5::Transform(const std::uint8_t* block) {
  std::uint32_t x[16];
  for (int i = 0; i < 16; ++i) x[i] = LoadLittle(block + 4 * i);

  std::uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
  AllSteps(a, b, c, d, x, std::make_index_sequence<64>{});
  state_[0] += a;
  state_[1] += b;
  state_[2] += c;
  state_[3] += d;
}

void Md5::Add(const void* data, std::size_t size) {
  if (size == 0) return;
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  std::size_t used = static_cast<std::size_t>((bitCount_ >> 3) & 63);
  bitCount_ += static_cast<std::uint64_t>(size) << 3;

  if (used != 0) {
    const std::size_t take = std::min(size, 64 - used);
    std::memcpy(buffer_.data() + used, bytes, take);
    bytes += take;
    size -= take;
    used += take;
    if (used < 64) return;
    Transform(buffer_.data());
  }
  for (; size >= 64; bytes += 64, size -= 64) Transform(bytes);
  if (size > 0) std::memcpy(buffer_.data(), bytes, size);
}

Md5Digest Md5::Finish() {
  std::uint8_t length[8];
  for (int i = 0; i < 8; ++i) length[i] = static_cast<std::uint8_t>(bitCount_ >> (8 * i));

  const std::size_t used = static_cast<std::size_t>((bitCount_ >> 3) & 63);
  const std::size_t padding = used < 56 ? 56 - used : 120 - used;
  static constexpr std::uint8_t kPadding[64] = {0x80};
  Add(kPadding, padding);
  Add(length, sizeof length);

  Md5Digest digest;
  for (int i = 0; i < 4; ++i) StoreLittle(state_[static_cast<std::size_t>(i)], digest.data() + 4 * i);

  // The context may have held file contents; leave nothing of them behind.
  state_.fill(0);
  bitCount_ = 0;
  buffer_.fill(0);
  return digest;
}

Md5Digest Md5Of(std::string_view bytes) {
  Md5 md5;
  md5.Add(bytes.data(), bytes.size());
  return md5.Finish();
}

std::array<Md5Digest, kMd5Lanes> Md5OfLanes(const std::array<const std::uint8_t*, kMd5Lanes>& messages,
                                            const std::array<std::size_t, kMd5Lanes>& sizes) {
  std::array<Lanes, 4> state;
  const std::uint32_t start[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
  for (std::size_t word = 0; word < 4; ++word) {
    for (std::size_t lane = 0; lane < kMd5Lanes; ++lane) state[word][lane] = start[word];
  }
  // Each message's whole blocks, then its rest, the 0x80 that ends it and its
  // bit count in one block or two of its own.
  std::array<std::array<std::uint8_t, 128>, kMd5Lanes> tails{};
  std::array<std::size_t, kMd5Lanes> wholeBlocks;
  std::array<std::size_t, kMd5Lanes> allBlocks;
  std::size_t most = 0;
  for (std::size_t lane = 0; lane < kMd5Lanes; ++lane) {
    const std::size_t size = sizes[lane];
    wholeBlocks[lane] = size / 64;
    const std::size_t rest = size % 64;
    const std::size_t tailBlocks = rest < 56 ? 1 : 2;
    allBlocks[lane] = wholeBlocks[lane] + tailBlocks;
    most = std::max(most, allBlocks[lane]);
    std::uint8_t* tail = tails[lane].data();
    if (rest > 0) std::memcpy(tail, messages[lane] + size - rest, rest);
    tail[rest] = 0x80;
    const std::uint64_t bits = static_cast<std::uint64_t>(size) << 3;
    for (std::size_t i = 0; i < 8; ++i) tail[64 * tailBlocks - 8 + i] = static_cast<std::uint8_t>(bits >> (8 * i));
  }
  std::array<const std::uint8_t*, kMd5Lanes> blocks;
  // The blocks that every message has whole, without asking each lane where
  // its block is.
  const std::size_t common = *std::min_element(wholeBlocks.begin(), wholeBlocks.end());
  for (std::size_t block = 0; block < common; ++block) {
    for (std::size_t lane = 0; lane < kMd5Lanes; ++lane) blocks[lane] = messages[lane] + 64 * block;
    TransformLanes(state, blocks);
  }
  std::array<Md5Digest, kMd5Lanes> digests;
  for (std::size_t block = common; block < most; ++block) {
    for (std::size_t lane = 0; lane < kMd5Lanes; ++lane) {
      // A lane whose message has ended (its digest taken) runs on over its
      // own tail.
      blocks[lane] = block < wholeBlocks[lane] ? messages[lane] + 64 * block
                     : block < allBlocks[lane] ? tails[lane].data() + 64 * (block - wholeBlocks[lane])
                                               : tails[lane].data();
    }
    TransformLanes(state, blocks);
    for (std::size_t lane = 0; lane < kMd5Lanes; ++lane) {
      if (allBlocks[lane] != block + 1) continue;
      for (std::size_t word = 0; word < 4; ++word) StoreLittle(state[word][lane], digests[lane].data() + 4 * word);
    }
  }
  return digests;
}

void WriteMd5Hex(const Md5Digest& digest, char* out) {
  static constexpr char kDigits[] = "0123456789abcdef";
  for (const std::uint8_t byte : digest) {
    *out++ = kDigits[byte >> 4];
    *out++ = kDigits[byte & 0x0F];
  }
}

std::string Md5Hex(const Md5Digest& digest) {
  std::string hex(kMd5HexDigits, '\0');
  WriteMd5Hex(digest, hex.data());
  return hex;
}

}  // namespace kestrilo
