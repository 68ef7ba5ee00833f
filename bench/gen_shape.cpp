// Writes a deterministic collection of one special shape for the benchmarks,
// the shapes on which a duplicate finder's verification dominates:
//
//   bench_gen_shape samehead  OUTPUT_FOLDER FILE_COUNT
//   bench_gen_shape identical OUTPUT_FOLDER FILE_COUNT
//   bench_gen_shape large     OUTPUT_FOLDER GROUP_COUNT
//
// samehead:  FILE_COUNT files of 4 KiB, all alike but for their last 8 bytes,
//            so that they share size and head and all differ.
// identical: FILE_COUNT identical files of 64 KiB.
// large:     GROUP_COUNT groups of three 200 MiB files; within a group the
//            first two are identical and the third differs in its last byte.
//
// Files are spread over folders of 500 files. OUTPUT_FOLDER must not exist yet.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr std::uint64_t kFilesPerFolder = 500;

void FillRandom(std::vector<std::uint8_t>& buffer, std::uint64_t seed) {
  std::uint64_t state = seed;
  for (std::size_t at = 0; at + 8 <= buffer.size(); at += 8) {
    std::uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    z ^= z >> 31;
    std::memcpy(buffer.data() + at, &z, 8);
  }
}

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "bench_gen_shape: %s: %s\n", what.c_str(), std::strerror(errno));
  std::exit(1);
}

void WriteAll(int fd, const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(fd, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) Fail("cannot write " + path);
    done += static_cast<std::size_t>(n);
  }
}

int Create(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) Fail("cannot create " + path);
  return fd;
}

void Close(int fd, const std::string& path) {
  if (::close(fd) != 0) Fail("cannot close " + path);
}

// The path of file `index`, creating its folder with its first file.
std::string PathOf(const std::string& root, std::uint64_t index) {
  const std::string folder = root + "/d" + std::to_string(index / kFilesPerFolder);
  if (index % kFilesPerFolder == 0 && ::mkdir(folder.c_str(), 0755) != 0) Fail("cannot create " + folder);
  return folder + "/f" + std::to_string(index);
}

void WriteSmall(const std::string& root, std::uint64_t count, std::size_t size, bool differInTail) {
  std::vector<std::uint8_t> buffer(size);
  FillRandom(buffer, size);
  for (std::uint64_t i = 0; i < count; ++i) {
    if (differInTail) std::memcpy(buffer.data() + size - 8, &i, 8);
    const std::string path = PathOf(root, i);
    const int fd = Create(path);
    WriteAll(fd, path, buffer.data(), size);
    Close(fd, path);
  }
}

void WriteLarge(const std::string& root, std::uint64_t groups) {
  constexpr std::size_t kChunk = 1 << 20;
  constexpr std::size_t kChunks = 200;
  std::vector<std::uint8_t> buffer(kChunk);
  std::uint64_t index = 0;
  for (std::uint64_t g = 0; g < groups; ++g) {
    for (int member = 0; member < 3; ++member, ++index) {
      const std::string path = PathOf(root, index);
      const int fd = Create(path);
      for (std::size_t c = 0; c < kChunks; ++c) {
        FillRandom(buffer, g * kChunks + c + 1);
        if (member == 2 && c + 1 == kChunks) buffer.back() ^= 1;
        WriteAll(fd, path, buffer.data(), kChunk);
      }
      Close(fd, path);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: bench_gen_shape samehead|identical|large OUTPUT_FOLDER COUNT\n");
    return 2;
  }
  const std::string shape = argv[1];
  std::string root = argv[2];
  char* end = nullptr;
  const std::uint64_t count = std::strtoull(argv[3], &end, 10);
  if (*end != '\0' || count == 0) {
    std::fprintf(stderr, "bench_gen_shape: COUNT must be a positive number\n");
    return 2;
  }
  if (shape != "samehead" && shape != "identical" && shape != "large") {
    std::fprintf(stderr, "bench_gen_shape: unknown shape %s\n", shape.c_str());
    return 2;
  }
  if (::mkdir(root.c_str(), 0755) != 0) Fail("cannot create " + root);
  if (shape == "samehead") {
    WriteSmall(root, count, 4096, true);
  } else if (shape == "identical") {
    WriteSmall(root, count, 64 * 1024, false);
  } else {
    WriteLarge(root, count);
  }
  return 0;
}
