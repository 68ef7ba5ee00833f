#pragma once
// A folder tree in a fresh temporary directory, removed with everything in it
// when the object goes.

#include <cstdint>
#include <string>

namespace kestrilo::testing {

class TempTree {
 public:
  TempTree();
  ~TempTree();
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  // The root folder, without a trailing separator.
  const std::string& Root() const { return root_; }
  // Root + separator + relative, whose `/` are taken as separators.
  std::string Path(const std::string& relative) const;

  // Writes a file (creating its folders); returns its full path.
  std::string Write(const std::string& relative, const std::string& content);
  // A file of `size` bytes whose content is derived from `seed`.
  std::string WriteSized(const std::string& relative, std::uint64_t size, std::uint32_t seed);
  // Creates a folder (and its parents); returns its full path.
  std::string MakeFolder(const std::string& relative);
  std::string Symlink(const std::string& relative, const std::string& target);
  std::string HardLink(const std::string& relative, const std::string& existingRelative);
  void Remove(const std::string& relative);

 private:
  std::string root_;
};

// Reads a whole file; "" when it cannot be read.
std::string ReadWholeFile(const std::string& path);

}  // namespace kestrilo::testing
