#pragma once
// The file search's wildcard matcher: '*' any run of characters, '?' exactly
// one, ASCII letters regardless of case, "*.*" every name, and a pattern ending
// in ".*" also matches a name without a dot. Runs in O(|pattern| * |name|) at
// worst: no pattern can make it backtrack exponentially.

#include <string_view>

namespace kestrilo {

bool WildcardMatch(std::string_view pattern, std::string_view name);

}  // namespace kestrilo
