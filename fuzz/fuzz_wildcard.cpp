// Checks WildcardMatch against a plain dynamic-programming matcher. The input
// is a pattern and a name separated by the first NUL byte.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/wildcard.h"

namespace {

// Splits a text into characters: a well-formed UTF-8 sequence is one
// character, any other byte is one on its own.
std::vector<std::string_view> Characters(std::string_view text) {
  std::vector<std::string_view> out;
  std::size_t at = 0;
  while (at < text.size()) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 1;
    std::uint32_t code = 0;
    std::uint32_t least = 0;
    if (lead >= 0xC0 && lead < 0xE0) {
      length = 2, code = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead < 0xF0) {
      length = 3, code = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead < 0xF8) {
      length = 4, code = lead & 0x07, least = 0x10000;
    }
    bool whole = length > 1 && at + length <= text.size();
    for (std::size_t i = 1; whole && i < length; ++i) {
      const auto next = static_cast<unsigned char>(text[at + i]);
      whole = (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3F);
    }
    whole = whole && code >= least && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
    if (!whole) length = 1;
    out.push_back(text.substr(at, length));
    at += length;
  }
  return out;
}

bool SameCharacter(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    char y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

bool OnlyStarsFrom(const std::vector<std::string_view>& pattern, std::size_t from) {
  for (std::size_t i = from; i < pattern.size(); ++i) {
    if (pattern[i] != "*") return false;
  }
  return true;
}

// matches[i][j]: pattern from character i matches name from character j. A
// '.' followed by nothing but stars (at least one) may also stand for the end
// of the name.
bool ReferenceMatch(std::string_view patternText, std::string_view nameText) {
  const auto pattern = Characters(patternText);
  const auto name = Characters(nameText);
  const std::size_t p = pattern.size();
  const std::size_t n = name.size();
  std::vector<std::vector<char>> matches(p + 1, std::vector<char>(n + 1, 0));
  matches[p][n] = 1;
  for (std::size_t i = p; i-- > 0;) {
    for (std::size_t j = n + 1; j-- > 0;) {
      bool result = false;
      if (pattern[i] == "*") {
        result = matches[i + 1][j] || (j < n && matches[i][j + 1]);
      } else if (j < n && (pattern[i] == "?" || SameCharacter(pattern[i], name[j]))) {
        result = matches[i + 1][j + 1];
      }
      if (!result && j == n && pattern[i] == "." && i + 1 < p && OnlyStarsFrom(pattern, i + 1)) result = true;
      matches[i][j] = result;
    }
  }
  return matches[0][0];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const auto split = input.find('\0');
  if (split == std::string_view::npos) return 0;
  const auto pattern = input.substr(0, split);
  const auto name = input.substr(split + 1);
  if (kestrilo::WildcardMatch(pattern, name) != ReferenceMatch(pattern, name)) std::abort();
  return 0;
}
