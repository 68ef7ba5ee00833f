// Writes a deterministic folder tree for the benchmarks: the same arguments
// always give the same folders, names, sizes and bytes.
//
//   bench_gen_tree OUTPUT_FOLDER FILE_COUNT SEED
//
// OUTPUT_FOLDER must not exist yet.
//
// The mix: log-normal-ish sizes (median 4 KiB, 2 KiB from 500,000 files on so
// that a million files stay a few GB), 10% of the files in groups of 2-5 exact
// copies spread over different folders, 2% near-duplicates (same size and
// first 2048 bytes, different later), 8% files of a few common sizes with
// different contents, a few empty files, and some names that are not valid
// UTF-8. Folders hold 50-200 files each and nest up to 5 levels deep.
//
// Sizes and contents come from the generator's own PRNG and plain arithmetic,
// never from <random>'s distributions, whose results differ between standard
// libraries.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

class SplitMix64 {
 public:
  explicit SplitMix64(std::uint64_t seed) : state_(seed) {}

  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }
  // Uniform in [0, bound); the tiny modulo bias does not matter here.
  std::uint64_t Below(std::uint64_t bound) { return Next() % bound; }
  std::uint64_t Between(std::uint64_t low, std::uint64_t high) { return low + Below(high - low + 1); }
  // Uniform in [0, 1) with 53 bits.
  double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

 private:
  std::uint64_t state_;
};

std::uint64_t MixSeed(std::uint64_t a, std::uint64_t b) {
  SplitMix64 m(a ^ (b * 0xd6e8feb86659fd93ULL));
  return m.Next();
}

struct Folder {
  std::string path;
  int depth = 0;
  std::uint64_t files = 0;
};

// What one file holds. Files with equal content and size are exact copies;
// `flipAt` changes one byte past the digested head to make a near-duplicate.
struct FilePlan {
  std::uint64_t size = 0;
  std::uint64_t content = 0;
  std::uint64_t flipAt = 0;
  std::uint8_t flipWith = 0;  // 0: unchanged
};

struct TreeStats {
  std::uint64_t empty = 0, copies = 0, copyGroups = 0, near = 0, nearGroups = 0, common = 0, unique = 0;
  std::uint64_t bytes = 0, folders = 0, oddNames = 0;
};

constexpr std::uint64_t kHeadBytes = 2048;
constexpr int kMaxDepth = 5;
constexpr std::uint64_t kMinFilesPerFolder = 50;
constexpr std::uint64_t kMaxFilesPerFolder = 200;

class SizeModel {
 public:
  explicit SizeModel(std::uint64_t fileCount)
      : median_(fileCount >= 500000 ? 2048.0 : 4096.0), max_(fileCount >= 500000 ? 100 * 1024 : 200 * 1024) {}

  // Median times 2^(1.5 z), z roughly standard normal (sum of four uniforms).
  std::uint64_t Draw(SplitMix64& rng, std::uint64_t atLeast = 0) const {
    for (;;) {
      double z = (rng.Unit() + rng.Unit() + rng.Unit() + rng.Unit() - 2.0) * 1.7320508075688772;
      auto size = static_cast<std::uint64_t>(median_ * std::exp2(1.5 * z));
      size = std::clamp<std::uint64_t>(size, kMin, max_);
      if (size >= atLeast) return size;
    }
  }
  std::uint64_t Max() const { return max_; }

 private:
  static constexpr std::uint64_t kMin = 200;
  double median_;
  std::uint64_t max_;
};

std::vector<Folder> LayOutFolders(const std::string& root, std::uint64_t fileCount, SplitMix64& rng) {
  std::vector<Folder> folders;
  std::vector<std::size_t> canNest;  // folders less than kMaxDepth deep
  std::uint64_t assigned = 0;
  while (assigned < fileCount) {
    Folder f;
    if (folders.empty()) {
      f.path = root;
    } else {
      const Folder& parent = folders[canNest[rng.Below(canNest.size())]];
      std::uint64_t n = folders.size();
      char name[64];
      // Now and then a folder name that is not valid UTF-8.
      if (n % 97 == 0)
        std::snprintf(name, sizeof name, "dir\xff%05llu", static_cast<unsigned long long>(n));
      else
        std::snprintf(name, sizeof name, "d%05llu", static_cast<unsigned long long>(n));
      f.path = parent.path + "/" + name;
      f.depth = parent.depth + 1;
    }
    f.files = std::min(rng.Between(kMinFilesPerFolder, kMaxFilesPerFolder), fileCount - assigned);
    assigned += f.files;
    if (f.depth < kMaxDepth) canNest.push_back(folders.size());
    folders.push_back(std::move(f));
  }
  return folders;
}

std::vector<FilePlan> ChooseContents(std::uint64_t fileCount, const SizeModel& sizes, SplitMix64& rng,
                                     TreeStats& stats) {
  std::vector<FilePlan> plans;
  plans.reserve(fileCount);
  std::uint64_t nextContent = 1;

  stats.empty = std::min<std::uint64_t>(fileCount, 3 + fileCount / 20000);
  for (std::uint64_t i = 0; i < stats.empty; ++i) plans.push_back({0, nextContent++, 0, 0});

  // Exact copies: groups of 2-5 until 10% of the files are in one.
  const std::uint64_t copyTarget = fileCount / 10;
  while (stats.copies + 2 <= copyTarget) {
    std::uint64_t members = std::min(rng.Between(2, 5), copyTarget - stats.copies);
    FilePlan plan{sizes.Draw(rng), nextContent++, 0, 0};
    for (std::uint64_t m = 0; m < members; ++m) plans.push_back(plan);
    stats.copies += members;
    ++stats.copyGroups;
  }

  // Near-duplicates: groups of 2-3 that share size and head; every member but
  // the first has one byte past the head changed, each in its own way.
  const std::uint64_t nearTarget = fileCount / 50;
  while (stats.near + 2 <= nearTarget) {
    std::uint64_t members = std::min(rng.Between(2, 3), nearTarget - stats.near);
    std::uint64_t size = sizes.Draw(rng, kHeadBytes + 1);
    std::uint64_t content = nextContent++;
    plans.push_back({size, content, 0, 0});
    for (std::uint64_t m = 1; m < members; ++m) {
      // Every fourth difference sits in the very last byte: the worst case
      // for a comparison that reads until the first difference.
      std::uint64_t at = rng.Below(4) == 0 ? size - 1 : rng.Between(kHeadBytes, size - 1);
      plans.push_back({size, content, at, static_cast<std::uint8_t>(m)});
    }
    stats.near += members;
    ++stats.nearGroups;
  }

  // A few common sizes, each file with its own content.
  static constexpr std::uint64_t kCommonSizes[] = {4096, 4096, 4096, 4096, 8192, 8192, 8192, 16384, 16384, 65536};
  const std::uint64_t commonTarget = fileCount * 8 / 100;
  for (; stats.common < commonTarget && plans.size() < fileCount; ++stats.common)
    plans.push_back({kCommonSizes[rng.Below(std::size(kCommonSizes))], nextContent++, 0, 0});

  while (plans.size() < fileCount) {
    plans.push_back({sizes.Draw(rng), nextContent++, 0, 0});
    ++stats.unique;
  }
  plans.resize(fileCount);

  // Shuffle so that the members of a group land in different folders.
  for (std::uint64_t i = plans.size(); i > 1; --i) std::swap(plans[i - 1], plans[rng.Below(i)]);
  return plans;
}

std::string FileName(std::uint64_t index, TreeStats& stats) {
  char name[80];
  auto n = static_cast<unsigned long long>(index);
  if (index % 499 == 7) {
    std::snprintf(name, sizeof name, "bad\xff\xfe%07llu.bin", n);
    ++stats.oddNames;
  } else if (index % 211 == 3) {
    std::snprintf(name, sizeof name, "写真 %07llu.jpg", n);
  } else {
    static const char* const kExtensions[] = {".txt", ".dat", ".jpg", ".png", ".doc", ".c", ".h", ""};
    std::snprintf(name, sizeof name, "f%07llu%s", n, kExtensions[index % std::size(kExtensions)]);
  }
  return name;
}

void Fill(std::vector<std::uint8_t>& buffer, const FilePlan& plan, std::uint64_t seed) {
  SplitMix64 rng(MixSeed(seed, plan.content));
  std::size_t words = (plan.size + 7) / 8;
  for (std::size_t w = 0; w < words; ++w) {
    std::uint64_t v = rng.Next();
    std::memcpy(buffer.data() + w * 8, &v, 8);
  }
  if (plan.flipWith != 0) buffer[plan.flipAt] ^= plan.flipWith;
}

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "bench_gen_tree: %s: %s\n", what.c_str(), std::strerror(errno));
  std::exit(1);
}

void WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) Fail("cannot create " + path);
  std::size_t done = 0;
  while (done < size) {
    ssize_t n = ::write(fd, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) Fail("cannot write " + path);
    done += static_cast<std::size_t>(n);
  }
  if (::close(fd) != 0) Fail("cannot close " + path);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: bench_gen_tree OUTPUT_FOLDER FILE_COUNT SEED\n");
    return 2;
  }
  std::string root = argv[1];
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  char* end = nullptr;
  std::uint64_t fileCount = std::strtoull(argv[2], &end, 10);
  if (*end != '\0' || fileCount == 0) {
    std::fprintf(stderr, "bench_gen_tree: FILE_COUNT must be a positive number\n");
    return 2;
  }
  std::uint64_t seed = std::strtoull(argv[3], &end, 10);
  if (*end != '\0') {
    std::fprintf(stderr, "bench_gen_tree: SEED must be a number\n");
    return 2;
  }

  SplitMix64 rng(seed);
  TreeStats stats;
  SizeModel sizes(fileCount);
  std::vector<Folder> folders = LayOutFolders(root, fileCount, rng);
  std::vector<FilePlan> plans = ChooseContents(fileCount, sizes, rng, stats);
  stats.folders = folders.size();

  // A fresh folder, so that no file of an earlier tree is mixed in.
  if (::mkdir(root.c_str(), 0755) != 0) Fail("cannot create " + root);
  std::vector<std::uint8_t> buffer(std::max<std::uint64_t>(sizes.Max(), 65536) + 8);
  std::uint64_t index = 0;
  for (const Folder& folder : folders) {
    if (folder.depth > 0 && ::mkdir(folder.path.c_str(), 0755) != 0) Fail("cannot create " + folder.path);
    for (std::uint64_t i = 0; i < folder.files; ++i, ++index) {
      const FilePlan& plan = plans[index];
      Fill(buffer, plan, seed);
      WriteFile(folder.path + "/" + FileName(index, stats), buffer.data(), plan.size);
      stats.bytes += plan.size;
    }
  }

  std::printf(
      "files %llu in %llu folders, %.1f MiB\n"
      "exact copies %llu in %llu groups, near-duplicates %llu in %llu groups, common sizes %llu, "
      "empty %llu, unique %llu, names not valid UTF-8 %llu\n",
      static_cast<unsigned long long>(fileCount), static_cast<unsigned long long>(stats.folders),
      static_cast<double>(stats.bytes) / (1024.0 * 1024.0), static_cast<unsigned long long>(stats.copies),
      static_cast<unsigned long long>(stats.copyGroups), static_cast<unsigned long long>(stats.near),
      static_cast<unsigned long long>(stats.nearGroups), static_cast<unsigned long long>(stats.common),
      static_cast<unsigned long long>(stats.empty), static_cast<unsigned long long>(stats.unique),
      static_cast<unsigned long long>(stats.oddNames));
  return 0;
}
