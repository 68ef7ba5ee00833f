#include "support/temp_tree.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace kestrilo::testing {

namespace fs = std::filesystem;

TempTree::TempTree() {
  std::string pattern = (fs::temp_directory_path() / "kestrilo-test-XXXXXX").string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (mkdtemp(buffer.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  root_ = buffer.data();
}

TempTree::~TempTree() {
  std::error_code ignored;
  fs::remove_all(root_, ignored);
  // remove_all goes by full paths; rm also removes trees whose paths are
  // longer than the system takes in one call.
  if (fs::exists(root_, ignored)) std::system(("rm -rf '" + root_ + "'").c_str());
}

std::string TempTree::Path(const std::string& relative) const { return root_ + "/" + relative; }

std::string TempTree::Write(const std::string& relative, const std::string& content) {
  const std::string path = Path(relative);
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
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
  fs::create_directories(path);
  return path;
}

std::string TempTree::Symlink(const std::string& relative, const std::string& target) {
  const std::string path = Path(relative);
  fs::create_directories(fs::path(path).parent_path());
  fs::create_symlink(target, path);
  return path;
}

std::string TempTree::HardLink(const std::string& relative, const std::string& existingRelative) {
  const std::string path = Path(relative);
  fs::create_directories(fs::path(path).parent_path());
  fs::create_hard_link(Path(existingRelative), path);
  return path;
}

void TempTree::Remove(const std::string& relative) { fs::remove_all(Path(relative)); }

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace kestrilo::testing
