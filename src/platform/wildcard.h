#pragma once
// The file search's wildcard matcher: '*' any run of characters, '?' exactly
// one, ASCII letters regardless of case, "*.*" every name, and a pattern ending
// in ".*" also matches a name without a dot. Runs in O(|pattern| * |name|) at
// worst: no pattern can make it backtrack exponentially.
//
// A character is a well-formed UTF-8 sequence, or else a single byte, so names
// that are not UTF-8 match byte for byte. Other bytes compare exactly. The
// final ".*" (or ".**"...) may stand for the end of the name: such a pattern
// matches every name that the pattern without it matches ("abc.*" matches
// "abc", "a.b.*" matches "a.b"). An empty pattern matches only an empty name.

#include <string_view>

namespace kestrilo {

bool WildcardMatch(std::string_view pattern, std::string_view name);

}  // namespace kestrilo
