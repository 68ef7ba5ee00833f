#include "platform/wildcard.h"

#include <cstddef>

namespace kestrilo {

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

unsigned char Byte(std::string_view text, std::size_t at) { return static_cast<unsigned char>(text[at]); }

bool IsContinuation(std::string_view text, std::size_t at) {
  return at < text.size() && (Byte(text, at) & 0xC0) == 0x80;
}

// Length of the character that starts at `at`: a well-formed UTF-8 sequence
// (no overlong forms, no surrogates, nothing above U+10FFFF) counts as one
// character; any other byte stands for itself.
std::size_t CharLength(std::string_view text, std::size_t at) {
  const unsigned char lead = Byte(text, at);
  if (lead < 0xC2 || lead > 0xF4) return 1;
  if (lead < 0xE0) return IsContinuation(text, at + 1) ? 2 : 1;
  if (!IsContinuation(text, at + 1)) return 1;
  const unsigned char second = Byte(text, at + 1);
  if (lead < 0xF0) {
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F)) return 1;
    return IsContinuation(text, at + 2) ? 3 : 1;
  }
  if ((lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F)) return 1;
  return IsContinuation(text, at + 2) && IsContinuation(text, at + 3) ? 4 : 1;
}

char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// '*' and '?' over whole characters, literals compared character by
// character with ASCII letters folded. Greedy with one resume point: when a
// later star is met the earlier one never needs to take more, so the work is
// bounded by |pattern| * |name| comparisons.
bool MatchPlain(std::string_view pattern, std::string_view name) {
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t starP = kNone;
  std::size_t starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
      continue;
    }
    const std::size_t nameLength = CharLength(name, n);
    if (p < pattern.size()) {
      if (pattern[p] == '?') {
        ++p;
        n += nameLength;
        continue;
      }
      const std::size_t patternLength = CharLength(pattern, p);
      if (patternLength == nameLength) {
        bool same = true;
        for (std::size_t i = 0; i < nameLength && same; ++i) {
          same = FoldAscii(pattern[p + i]) == FoldAscii(name[n + i]);
        }
        if (same) {
          p += patternLength;
          n += nameLength;
          continue;
        }
      }
    }
    if (starP == kNone) return false;
    starN += CharLength(name, starN);
    n = starN;
    p = starP + 1;
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

bool WildcardMatch(std::string_view pattern, std::string_view name) {
  if (MatchPlain(pattern, name)) return true;
  // A final ".*" may also match the end of the name, as the dot of a missing
  // extension: "abc.*" matches "abc", and "*.*" matches every name.
  std::size_t end = pattern.size();
  while (end > 0 && pattern[end - 1] == '*') --end;
  if (end == pattern.size() || end == 0 || pattern[end - 1] != '.') return false;
  return MatchPlain(pattern.substr(0, end - 1), name);
}

}  // namespace kestrilo
