#pragma once
// Reading the first bytes of many files, or many small files whole, at once
// with io_uring: asking for a file's kind, size and bytes one file and one call
// at a time costs four system calls or more per file, here they go in one
// submission per batch of up to 32 files.

#include <span>

#include "platform/file_system.h"

namespace kestrilo {

// Fills `heads` (as many as `requests`) on the calling thread. False, every
// head incomplete, without io_uring (or when it is refused).
bool ReadFileHeads(std::span<const HeadRequest> requests, std::span<FileHead> heads);

// As FileSystem::ReadWholeFiles; false, nothing read, without io_uring. A file
// of more than kMostBytesReadWhole is left to the caller.
bool ReadSmallFilesWhole(std::span<const WholeRequest> requests, const OnWholeFile& onRead);

}  // namespace kestrilo
