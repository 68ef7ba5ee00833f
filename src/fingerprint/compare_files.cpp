#include "fingerprint/compare_files.h"

#include <cstddef>
#include <cstring>
#include <memory>
#include <new>

namespace kestrilo {

namespace {

constexpr std::size_t kBlockBytes = 256 * 1024;

// Fills `buffer` as far as the file goes. A read error ends the file where it
// occurred, so the bytes before it still count, exactly as when the files are
// read in small blocks.
std::size_t ReadBlock(const FileHandle& file, std::byte* buffer, std::size_t size, bool& ended) {
  std::size_t filled = 0;
  while (!ended && filled < size) {
    const long got = file.ReadSome(buffer + filled, size - filled);
    if (got > 0) {
      filled += static_cast<std::size_t>(got);
    } else {
      ended = true;
    }
  }
  return filled;
}

// Two blocks per thread, allocated on its first comparison: the verification
// pass compares many small files and should not allocate for each pair.
std::byte* Blocks() {
  thread_local const std::unique_ptr<std::byte[]> blocks(new (std::nothrow) std::byte[2 * kBlockBytes]);
  return blocks.get();
}

}  // namespace

int CompareFiles(FileSystem& fs, const std::string& first, const std::string& second) {
  const FileHandle a = fs.OpenRead(first);
  if (!a.IsOpen()) return -1;
  const FileHandle b = fs.OpenRead(second);
  if (!b.IsOpen()) return -1;
  return CompareOpenFiles(a, b);
}

int CompareOpenFiles(const FileHandle& a, const FileHandle& b) {
  a.AdviseSequential();
  b.AdviseSequential();

  std::byte* const blockA = Blocks();
  if (blockA == nullptr) return -1;
  std::byte* const blockB = blockA + kBlockBytes;
  bool endedA = false;
  bool endedB = false;
  for (;;) {
    const std::size_t countA = ReadBlock(a, blockA, kBlockBytes, endedA);
    const std::size_t countB = ReadBlock(b, blockB, kBlockBytes, endedB);
    if (countA != countB) return -1;
    if (countA == 0) return 0;
    if (std::memcmp(blockA, blockB, countA) != 0) return -1;
  }
}

}  // namespace kestrilo
