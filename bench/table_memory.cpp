// Memory and speed of the signature table when registering many files.
//
//   bench_table_memory [files [paths-per-signature]]
//
// Registers `files` synthetic files (default 1000000) with realistic
// signatures (32 hex digits and a size) and photo-library paths, each
// signature shared by `paths-per-signature` files (default 1: all distinct),
// and prints the bytes the table holds per file (texts included) beside the
// bytes of the path texts given, the growth of the process's resident memory
// per file, and the rate of AddHash calls.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "fingerprint/md5.h"
#include "store/signature_table.h"

namespace {

long ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0;
  long resident = 0;
  statm >> pages >> resident;
  return resident * 4096;
}

struct Inputs {
  std::string text;
  std::vector<std::size_t> signatureStart;
  std::vector<std::size_t> pathStart;
  std::size_t pathBytes = 0;

  std::string_view Signature(std::size_t i) const {
    return std::string_view(text).substr(signatureStart[i], pathStart[i] - signatureStart[i]);
  }
  std::string_view Path(std::size_t i) const {
    const std::size_t end = i + 1 < signatureStart.size() ? signatureStart[i + 1] : text.size();
    return std::string_view(text).substr(pathStart[i], end - pathStart[i]);
  }
};

Inputs MakeInputs(std::size_t files, std::size_t perSignature) {
  Inputs inputs;
  inputs.signatureStart.reserve(files);
  inputs.pathStart.reserve(files);
  inputs.text.reserve(files * 90);
  char path[128];
  for (std::size_t i = 0; i < files; ++i) {
    const std::size_t group = i / perSignature;
    const std::string seed = std::to_string(group);
    const unsigned size = 100000 + static_cast<unsigned>(group * 7919 % 9000000);
    inputs.signatureStart.push_back(inputs.text.size());
    inputs.text += kestrilo::Md5Hex(kestrilo::Md5Of(seed)) + std::to_string(size);
    std::snprintf(path, sizeof path, "/home/user/photos/%zu/%02zu/IMG_%06zu.JPG", 2000 + i % 25, 1 + i / 25 % 12,
                  i % 1000000);
    inputs.pathStart.push_back(inputs.text.size());
    inputs.text += path;
    inputs.pathBytes += std::string_view(path).size();
  }
  return inputs;
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t files = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
  const std::size_t perSignature = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
  if (files == 0 || perSignature == 0) {
    std::fprintf(stderr, "usage: %s [files [paths-per-signature]]\n", argv[0]);
    return 2;
  }
  const Inputs inputs = MakeInputs(files, perSignature);

  static kestrilo::SignatureTable table;
  table.ClearHash();
  const long residentBefore = ResidentBytes();
  const auto start = std::chrono::steady_clock::now();
  for (std::size_t i = 0; i < files; ++i) {
    if (table.AddHash(inputs.Signature(i), inputs.Path(i)) != 0) {
      std::fprintf(stderr, "AddHash failed at file %zu\n", i);
      return 1;
    }
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const long residentGrowth = ResidentBytes() - residentBefore;

  const double n = static_cast<double>(files);
  std::printf("files                       %zu\n", files);
  std::printf("signatures                  %zu\n", table.SignatureCount());
  std::printf("live paths                  %d\n", table.GetFileCount());
  std::printf("path bytes per file         %.1f\n", static_cast<double>(inputs.pathBytes) / n);
  std::printf("table bytes per file        %.1f\n", static_cast<double>(table.HeldBytes()) / n);
  std::printf("RSS growth per file         %.1f bytes\n", static_cast<double>(residentGrowth) / n);
  std::printf("adds per second             %.0f\n", n / seconds);
  return 0;
}
