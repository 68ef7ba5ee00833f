#include "platform/storage_reads.h"

namespace kestrilo {

// Windows counts the bytes read through the cache with those read from the
// disk (GetProcessIoCounters), which cannot tell the two apart.
std::optional<std::uint64_t> StorageReadBytes() { return std::nullopt; }

}  // namespace kestrilo
