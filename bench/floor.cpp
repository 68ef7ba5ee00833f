// The floor that no duplicate finder can beat on a warm cache: for every file
// of a tree, stat it, open it, read its first 2048 bytes and close it. The
// listing of the tree is not timed; the loop is, once per thread count.
//
//   bench_floor [--order listing|inode|physical] [--drop] TREE [THREADS...]   (default: 1 2)
//
// --order reads the files in the order of the folder listings (the default),
// of their inode numbers, or of the disk position of their first block
// (FIEMAP; a file the system cannot map goes last). --drop empties the page
// cache (as root) after the listing and the ordering, before each loop, so
// that the mapping's opens do not warm the loop's files.
//
// Prints one line per thread count: "threads N files F seconds S".

#include <dirent.h>
#include <fcntl.h>
#include <linux/fiemap.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Listed {
  std::string path;
  std::uint64_t key = 0;  // inode number, or disk position
};

// Every regular file below `root`, in listing order, without following links,
// each with its inode number.
std::vector<Listed> ListFiles(const std::string& root) {
  std::vector<Listed> files;
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
        files.push_back({std::move(path), entry->d_ino});
    }
    ::closedir(dir);
  }
  return files;
}

// The disk position of the file's first byte; the largest key when the file
// system cannot tell.
std::uint64_t PhysicalStart(const std::string& path) {
  constexpr std::uint64_t kUnknown = ~std::uint64_t{0};
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return kUnknown;
  // A map with room for one extent.
  alignas(fiemap) std::uint8_t room[sizeof(fiemap) + sizeof(fiemap_extent)] = {};
  auto* map = reinterpret_cast<fiemap*>(room);
  map->fm_start = 0;
  map->fm_length = 1;
  map->fm_extent_count = 1;
  const bool mapped = ::ioctl(fd, FS_IOC_FIEMAP, map) == 0 && map->fm_mapped_extents == 1;
  ::close(fd);
  return mapped ? map->fm_extents[0].fe_physical : kUnknown;
}

void DropPageCache() {
  ::sync();
  std::ofstream("/proc/sys/vm/drop_caches") << "3\n";
}

// Runs the loop on `threads` threads; returns the bytes read, so the work
// is observably used.
std::uint64_t Touch(const std::vector<Listed>& files, unsigned threads) {
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
        if (::stat(files[i].path.c_str(), &st) != 0) continue;
        int fd = ::open(files[i].path.c_str(), O_RDONLY | O_CLOEXEC);
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
  std::string order = "listing";
  bool drop = false;
  int arg = 1;
  for (; arg < argc && argv[arg][0] == '-'; ++arg) {
    if (std::strcmp(argv[arg], "--drop") == 0) {
      drop = true;
    } else if (std::strcmp(argv[arg], "--order") == 0 && arg + 1 < argc) {
      order = argv[++arg];
    } else {
      arg = argc;
    }
  }
  if (arg >= argc || (order != "listing" && order != "inode" && order != "physical")) {
    std::fprintf(stderr, "usage: bench_floor [--order listing|inode|physical] [--drop] TREE [THREADS...]\n");
    return 2;
  }
  const char* root = argv[arg];
  std::vector<unsigned> threadCounts;
  for (int i = arg + 1; i < argc; ++i) {
    int n = std::atoi(argv[i]);
    if (n <= 0) {
      std::fprintf(stderr, "bench_floor: thread count must be positive: %s\n", argv[i]);
      return 2;
    }
    threadCounts.push_back(static_cast<unsigned>(n));
  }
  if (threadCounts.empty()) threadCounts = {1, 2};

  std::vector<Listed> files = ListFiles(root);
  if (files.empty()) {
    std::fprintf(stderr, "bench_floor: no files below %s\n", root);
    return 1;
  }
  if (order == "physical") {
    for (Listed& file : files) file.key = PhysicalStart(file.path);
  }
  if (order != "listing") {
    std::stable_sort(files.begin(), files.end(), [](const Listed& a, const Listed& b) { return a.key < b.key; });
  }
  for (unsigned threads : threadCounts) {
    if (drop) DropPageCache();
    auto start = std::chrono::steady_clock::now();
    std::uint64_t bytes = Touch(files, threads);
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("threads %u files %zu bytes %llu seconds %.4f\n", threads, files.size(),
                static_cast<unsigned long long>(bytes), took.count());
    std::fflush(stdout);
  }
  return 0;
}
