#pragma once
// Result rows made by hand, as if a duplicate check had laid them out.

#include <cstdint>
#include <string>

#include "check/result_set.h"

namespace kestrilo::testing {

// Group 0 is no group; every row of one size shares a signature.
inline ResultRow MadeRow(int group, std::string name, std::uint64_t size, std::string folder, bool deleted = false) {
  ResultRow row;
  row.group = group;
  row.name = std::move(name);
  row.size = size;
  row.folder = std::move(folder);
  row.signature = static_cast<std::uint32_t>(size);
  row.deleted = deleted;
  return row;
}

}  // namespace kestrilo::testing
