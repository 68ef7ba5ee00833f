#pragma once
// Reading the first bytes of many files at once with io_uring: the walk needs,
// per file, its kind, its size and its first bytes; asking for them one file
// and one call at a time costs four system calls per file, here they go in one
// submission per batch of 64 files.

#include <span>

#include "platform/file_system.h"

namespace kestrilo {

// Fills `heads` (as many as `requests`) on the calling thread. Without
// io_uring (or when it is refused) every head stays incomplete.
void ReadFileHeads(std::span<const HeadRequest> requests, std::span<FileHead> heads);

}  // namespace kestrilo
