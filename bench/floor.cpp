// The floor that no duplicate finder can beat on a warm cache: for every file
// of a tree, stat it, open it, read its first 2048 bytes and close it. The
// listing of the tree is not timed; the loop is, once per thread count.
//
//   bench_floor TREE [THREADS...]        (default: 1 2)
//
// Prints one line per thread count: "threads N files F seconds S".

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

// Every regular file below `root`, in listing order, without following links.
std::vector<std::string> ListFiles(const std::string& root) {
  std::vector<std::string> files;
  std::vector<std::string> pending{root};
  while (!pending.empty()) {
    std::string folder = std::move(pending.back());
    pending.pop_back();
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) continue;
    while (dirent* entry = ::readdir(dir)) {
      std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      std::string path = folder + "/" + name;
      unsigned char type = entry->d_type;
      if (type == DT_UNKNOWN) {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0) continue;
        type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
      }
      if (type == DT_DIR)
        pending.push_back(std::move(path));
      else if (type == DT_REG)
        files.push_back(std::move(path));
    }
    ::closedir(dir);
  }
  return files;
}

// Runs the loop on `threads` threads; returns the bytes read, so the work
// is observably used.
std::uint64_t Touch(const std::vector<std::string>& files, unsigned threads) {
  constexpr std::size_t kChunk = 64;
  std::atomic<std::size_t> next{0};
  std::atomic<std::uint64_t> total{0};
  auto worker = [&] {
    char buffer[2048];
    std::uint64_t bytes = 0;
    for (;;) {
      std::size_t begin = next.fetch_add(kChunk, std::memory_order_relaxed);
      if (begin >= files.size()) break;
      std::size_t end = std::min(files.size(), begin + kChunk);
      for (std::size_t i = begin; i < end; ++i) {
        struct stat st;
        if (::stat(files[i].c_str(), &st) != 0) continue;
        int fd = ::open(files[i].c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) bytes += static_cast<std::uint64_t>(n);
        ::close(fd);
      }
    }
    total.fetch_add(bytes, std::memory_order_relaxed);
  };
  std::vector<std::thread> pool;
  for (unsigned t = 1; t < threads; ++t) pool.emplace_back(worker);
  worker();
  for (std::thread& t : pool) t.join();
  return total.load();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_floor TREE [THREADS...]\n");
    return 2;
  }
  std::vector<unsigned> threadCounts;
  for (int i = 2; i < argc; ++i) {
    int n = std::atoi(argv[i]);
    if (n <= 0) {
      std::fprintf(stderr, "bench_floor: thread count must be positive: %s\n", argv[i]);
      return 2;
    }
    threadCounts.push_back(static_cast<unsigned>(n));
  }
  if (threadCounts.empty()) threadCounts = {1, 2};

  std::vector<std::string> files = ListFiles(argv[1]);
  if (files.empty()) {
    std::fprintf(stderr, "bench_floor: no files below %s\n", argv[1]);
    return 1;
  }
  for (unsigned threads : threadCounts) {
    auto start = std::chrono::steady_clock::now();
    std::uint64_t bytes = Touch(files, threads);
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("threads %u files %zu bytes %llu seconds %.4f\n", threads, files.size(),
                static_cast<unsigned long long>(bytes), took.count());
    std::fflush(stdout);
  }
  return 0;
}
