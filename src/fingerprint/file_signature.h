#pragma once
// A file's fingerprint: the MD5 digest of its first 2048 bytes, and the
// signature text made of that digest in lowercase hex followed by the size.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "fingerprint/md5.h"
#include "platform/file_system.h"

namespace kestrilo {

inline constexpr std::size_t kDigestedBytes = 2048;

// 0 with the digest of the first min(2048, size) bytes; -1 when the file cannot
// be opened (digest untouched, bytesRead 0).
int GetFileMD5(FileSystem& fs, const std::string& path, Md5Digest& digest, std::int32_t& bytesRead);

// digest in "%02x" per byte, then the size in decimal.
std::string MakeSignature(const Md5Digest& digest, std::uint32_t size);

// What the walk needs of one file, found with as few system calls as the
// platform allows: the size, and the digest when the size is registrable.
struct FileProbe {
  enum class Outcome : std::uint8_t { Digested, TooLarge, Empty, Unopenable };
  Outcome outcome = Outcome::Unopenable;
  std::uint64_t size = 0;
  Md5Digest digest{};
  // RestDigest of the bytes after the digested ones, when the file was small
  // enough to be read whole with them and has any: files whose rests differ
  // cannot be identical, whatever their heads.
  std::optional<std::uint64_t> rest;
};

// The digest a probe gives of the bytes of a small file after its first
// kDigestedBytes.
std::uint64_t RestDigest(std::span<const std::uint8_t> rest);
FileProbe ProbeFile(FileSystem& fs, const std::string& path);
// The same for a file the caller opened already (or failed to open) as `path`.
FileProbe ProbeOpenedFile(FileSystem& fs, const FileHandle& file, const std::string& path);
// ProbeFile for many files at once (each opened by name through its folder's
// handle where it has one): the same outcomes, with far fewer system calls
// where the file system can read many files' heads in one go.
std::vector<FileProbe> ProbeFiles(FileSystem& fs, std::span<const HeadRequest> files);

}  // namespace kestrilo
