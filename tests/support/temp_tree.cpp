#include "support/temp_tree.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <vector>

#include "platform/path_text.h"

namespace kestrilo::testing {

namespace fs = std::filesystem;

namespace {

// The engine's paths are UTF-8 on every system; std::filesystem takes a
// plain string in the system's code page on Windows.
fs::path NativePath(const std::string& path) {
  return fs::path(std::u8string(reinterpret_cast<const char8_t*>(path.data()), path.size()));
}

std::string Utf8Of(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

}  // namespace

TempTree::TempTree() {
  std::random_device seed;
  std::mt19937_64 random(seed());
  const fs::path base = fs::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path candidate = base / ("kestrilo-test-" + std::to_string(random()));
    if (fs::create_directory(candidate)) {
      root_ = Utf8Of(candidate);
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempTree::~TempTree() {
  std::error_code ignored;
  fs::remove_all(NativePath(root_), ignored);
}

std::string TempTree::Path(const std::string& relative) const {
  std::string path = root_ + kSeparator + relative;
  for (auto at = root_.size(); at < path.size(); ++at) {
    if (path[at] == '/') path[at] = kSeparator;
  }
  return path;
}

std::string TempTree::Write(const std::string& relative, const std::string& content) {
  const std::string path = Path(relative);
  fs::create_directories(NativePath(path).parent_path());
  std::ofstream out(NativePath(path), std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
  return path;
}

std::string TempTree::WriteSized(const std::string& relative, std::uint64_t size, std::uint32_t seed) {
  std::string content(size, '\0');
  std::uint32_t state = seed * 2654435761u + 1;
  for (auto& byte : content) {
    state = state * 1664525u + 1013904223u;
    byte = static_cast<char>(state >> 24);
  }
  return Write(relative, content);
}

std::string TempTree::MakeFolder(const std::string& relative) {
  const std::string path = Path(relative);
  fs::create_directories(NativePath(path));
  return path;
}

std::string TempTree::Symlink(const std::string& relative, const std::string& target) {
  const std::string path = Path(relative);
  fs::create_directories(NativePath(path).parent_path());
  fs::create_symlink(NativePath(target), NativePath(path));
  return path;
}

std::string TempTree::HardLink(const std::string& relative, const std::string& existingRelative) {
  const std::string path = Path(relative);
  fs::create_directories(NativePath(path).parent_path());
  fs::create_hard_link(NativePath(Path(existingRelative)), NativePath(path));
  return path;
}

void TempTree::Remove(const std::string& relative) { fs::remove_all(NativePath(Path(relative))); }

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(NativePath(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace kestrilo::testing
