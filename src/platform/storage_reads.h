#pragma once
// How many bytes this process has had read from storage so far: reads that
// the page cache answered are not counted, so the count tells whether the
// files being read come from the disk.

#include <cstdint>
#include <optional>

namespace kestrilo {

// Nothing where the system does not tell.
std::optional<std::uint64_t> StorageReadBytes();

}  // namespace kestrilo
