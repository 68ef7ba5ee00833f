#pragma once
// MD5 message digest (RFC 1321): start, add bytes in any number of calls,
// finish into 16 bytes.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrilo {

using Md5Digest = std::array<std::uint8_t, 16>;

class Md5 {
 public:
  Md5() { Start(); }
  void Start();
  void Add(const void* data, std::size_t size);
  // Pads, appends the bit count, writes the digest and clears the context.
  Md5Digest Finish();

 private:
  void Transform(const std::uint8_t* block);

  std::array<std::uint32_t, 4> state_{};
  std::uint64_t bitCount_ = 0;
  std::array<std::uint8_t, 64> buffer_{};
};

Md5Digest Md5Of(std::string_view bytes);

// The digests of kMd5Lanes messages of `sizes` bytes each, computed side by
// side, one lane of the processor's vector registers per message, at the cost
// of the longest: the walk digests the heads of many files at once.
inline constexpr std::size_t kMd5Lanes = 8;
std::array<Md5Digest, kMd5Lanes> Md5OfLanes(const std::array<const std::uint8_t*, kMd5Lanes>& messages,
                                            const std::array<std::size_t, kMd5Lanes>& sizes);
inline constexpr std::size_t kMd5HexDigits = 32;
// 32 lowercase hexadecimal digits.
std::string Md5Hex(const Md5Digest& digest);
// The same into `out`, which has room for kMd5HexDigits characters.
void WriteMd5Hex(const Md5Digest& digest, char* out);

}  // namespace kestrilo
