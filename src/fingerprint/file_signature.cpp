#include "fingerprint/file_signature.h"

#include <algorithm>
#include <array>

namespace kestrilo {

namespace {

constexpr std::uint64_t kRegistrableLimit = std::uint64_t{1} << 32;

// The digest of the first kDigestedBytes of an open file. A failing read
// counts as an empty one.
// `expected`, the size when known, saves the read that would only find the end.
Md5Digest DigestHead(const FileHandle& file, std::int32_t& bytesRead, std::size_t expected = kDigestedBytes) {
  std::array<std::uint8_t, kDigestedBytes> buffer;
  Md5 md5;
  const long got = file.ReadFull(buffer.data(), std::min(expected, buffer.size()));
  if (got > 0) {
    bytesRead = static_cast<std::int32_t>(got);
    md5.Add(buffer.data(), static_cast<std::size_t>(got));
  }
  return md5.Finish();
}

}  // namespace

int GetFileMD5(FileSystem& fs, const std::string& path, Md5Digest& digest, std::int32_t& bytesRead) {
  bytesRead = 0;
  const FileHandle file = fs.OpenRead(path);
  if (!file.IsOpen()) return -1;
  digest = DigestHead(file, bytesRead);
  return 0;
}

std::string MakeSignature(const Md5Digest& digest, std::uint32_t size) {
  return Md5Hex(digest) + std::to_string(size);
}

FileProbe ProbeFile(FileSystem& fs, const std::string& path) { return ProbeOpenedFile(fs, fs.OpenRead(path), path); }

FileProbe ProbeOpenedFile(FileSystem& fs, const FileHandle& file, const std::string& path) {
  FileProbe probe;
  if (!file.IsOpen()) {
    // A file too large or empty is skipped, not reported, whether or not it
    // can be opened; only the size tells which.
    if (const auto facts = fs.Examine(path, true)) {
      probe.size = facts->size;
      if (facts->size >= kRegistrableLimit) {
        probe.outcome = FileProbe::Outcome::TooLarge;
      } else if (facts->size == 0) {
        probe.outcome = FileProbe::Outcome::Empty;
      }
    }
    return probe;
  }

  const auto facts = file.Facts();
  if (!facts) return probe;
  probe.size = facts->size;
  // Only a regular file is fingerprinted; anything else got here by a race
  // with the folder listing.
  if (facts->kind != EntryKind::File) return probe;
  if (facts->size >= kRegistrableLimit) {
    probe.outcome = FileProbe::Outcome::TooLarge;
  } else if (facts->size == 0) {
    probe.outcome = FileProbe::Outcome::Empty;
  } else {
    std::int32_t bytesRead = 0;
    probe.digest = DigestHead(file, bytesRead, static_cast<std::size_t>(facts->size));
    probe.outcome = FileProbe::Outcome::Digested;
  }
  return probe;
}

}  // namespace kestrilo
