#include "fingerprint/file_signature.h"

#include <xxhash.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <functional>
#include <memory>
#include <utility>

namespace kestrilo {

namespace {

constexpr std::uint64_t kRegistrableLimit = std::uint64_t{1} << 32;

// The digest of the first kDigestedBytes of an open file. A failing read
// counts as an empty one.
Md5Digest DigestHead(const FileHandle& file, std::int32_t& bytesRead) {
  std::array<std::uint8_t, kDigestedBytes> buffer;
  Md5 md5;
  const long got = file.ReadFull(buffer.data(), buffer.size());
  if (got > 0) {
    bytesRead = static_cast<std::int32_t>(got);
    md5.Add(buffer.data(), static_cast<std::size_t>(got));
  }
  return md5.Finish();
}

// The rest digest of a file of `size` bytes whose first `count` bytes are
// `bytes`, when those are all of a small file and more than its head.
std::optional<std::uint64_t> RestOf(const std::uint8_t* bytes, std::size_t count, std::uint64_t size) {
  if (size <= kDigestedBytes || size > kSmallFileBytes || count != size) return std::nullopt;
  return RestDigest({bytes + kDigestedBytes, count - kDigestedBytes});
}

// The digests of the heads read for Digested probes, as many bytes of each as
// one by one: no more than the size the file had. Heads go eight side by side,
// longest first so that each eight are of about one length (eight cost about
// as much as three one by one, at the length of the longest); when fewer than
// three are left, those go one by one.
void DigestHeads(std::span<const FileHead> heads, std::span<FileProbe> probes) {
  std::vector<std::pair<std::size_t, std::size_t>> wanted;  // length, head
  wanted.reserve(heads.size());
  for (std::size_t i = 0; i < heads.size(); ++i) {
    if (!heads[i].complete || probes[i].outcome != FileProbe::Outcome::Digested) continue;
    const std::size_t count = std::min<std::size_t>(heads[i].count, static_cast<std::size_t>(heads[i].size));
    wanted.emplace_back(std::min(count, kDigestedBytes), i);
    probes[i].rest = RestOf(heads[i].bytes.data(), count, heads[i].size);
  }
  std::sort(wanted.begin(), wanted.end(), std::greater<>());
  std::size_t next = 0;
  while (wanted.size() - next >= 3) {
    const std::size_t count = std::min(kMd5Lanes, wanted.size() - next);
    // Lanes left over repeat the first message.
    std::array<const std::uint8_t*, kMd5Lanes> messages;
    std::array<std::size_t, kMd5Lanes> sizes;
    for (std::size_t lane = 0; lane < kMd5Lanes; ++lane) {
      const auto [length, head] = wanted[next + (lane < count ? lane : 0)];
      messages[lane] = heads[head].bytes.data();
      sizes[lane] = length;
    }
    const auto digests = Md5OfLanes(messages, sizes);
    for (std::size_t lane = 0; lane < count; ++lane) probes[wanted[next + lane].second].digest = digests[lane];
    next += count;
  }
  for (; next < wanted.size(); ++next) {
    const auto [length, head] = wanted[next];
    probes[head].digest = Md5Of({reinterpret_cast<const char*>(heads[head].bytes.data()), length});
  }
}

// The probes of `files`, whose heads are read into `heads`.
void ProbeHeads(FileSystem& fs, std::span<const HeadRequest> files, std::span<FileHead> heads,
                std::span<FileProbe> probes) {
  fs.ReadHeads(files, heads);
  for (std::size_t i = 0; i < files.size(); ++i) {
    const FileHead& head = heads[i];
    const HeadRequest& file = files[i];
    if (!head.complete) {
      const FileHandle handle = file.folder != nullptr && file.folder->IsOpen()
                                    ? fs.OpenReadAt(*file.folder, file.name, *file.path)
                                    : fs.OpenRead(*file.path);
      probes[i] = ProbeOpenedFile(fs, handle, *file.path);
      continue;
    }
    FileProbe& probe = probes[i];
    probe.size = head.size;
    if (head.kind != EntryKind::File) continue;  // Unopenable, as when opened one by one
    if (head.size >= kRegistrableLimit) {
      probe.outcome = FileProbe::Outcome::TooLarge;
    } else if (head.size == 0) {
      probe.outcome = FileProbe::Outcome::Empty;
    } else {
      probe.outcome = FileProbe::Outcome::Digested;
    }
  }
  DigestHeads(heads, probes);
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
  // Built in place: the walk makes one for every registered file.
  std::array<char, kMd5HexDigits + 10> text;
  WriteMd5Hex(digest, text.data());
  const char* end = std::to_chars(text.data() + kMd5HexDigits, text.data() + text.size(), size).ptr;
  return std::string(text.data(), static_cast<std::size_t>(end - text.data()));
}

FileProbe ProbeFile(FileSystem& fs, const std::string& path) { return ProbeOpenedFile(fs, fs.OpenRead(path), path); }

FileProbe ProbeOpenedFile(FileSystem& fs, const FileHandle& file, const std::string& path) {
  FileProbe probe;
  if (!file.IsOpen()) {
    // A file too large or empty is skipped, not reported, whether or not it
    // can be opened; only the size tells which. What is no longer a regular
    // file (a link is not followed) cannot be fingerprinted at all.
    if (const auto facts = fs.Examine(path, false); facts && facts->kind == EntryKind::File) {
      probe.size = facts->size;
      if (facts->size >= kRegistrableLimit) {
        probe.outcome = FileProbe::Outcome::TooLarge;
      } else if (facts->size == 0) {
        probe.outcome = FileProbe::Outcome::Empty;
      }
    }
    return probe;
  }

  const auto facts = file.OpenedFacts();
  if (!facts) return probe;
  probe.size = facts->size;
  // Only a regular file is fingerprinted; anything else got here by a race
  // with the folder listing.
  if (facts->kind != EntryKind::File) return probe;
  if (facts->size >= kRegistrableLimit) {
    probe.outcome = FileProbe::Outcome::TooLarge;
  } else if (facts->size == 0) {
    probe.outcome = FileProbe::Outcome::Empty;
  } else if (facts->size <= kSmallFileBytes) {
    // Read whole: no more than the head would cost.
    std::array<std::uint8_t, kSmallFileBytes> bytes;
    const long got = file.ReadFull(bytes.data(), static_cast<std::size_t>(facts->size));
    // A failing read counts as an empty one.
    const auto count = static_cast<std::size_t>(std::max(got, 0L));
    probe.digest = Md5Of({reinterpret_cast<const char*>(bytes.data()), std::min(count, kDigestedBytes)});
    probe.rest = RestOf(bytes.data(), count, facts->size);
    probe.outcome = FileProbe::Outcome::Digested;
  } else {
    std::int32_t bytesRead = 0;
    probe.digest = DigestHead(file, bytesRead);
    probe.outcome = FileProbe::Outcome::Digested;
  }
  return probe;
}

std::uint64_t RestDigest(std::span<const std::uint8_t> rest) { return XXH3_64bits(rest.data(), rest.size()); }

std::vector<FileProbe> ProbeFiles(FileSystem& fs, std::span<const HeadRequest> files) {
  std::vector<FileProbe> probes(files.size());
  // A few heads at a time, read into memory that is not cleared first: a
  // head holds room for a small file whole.
  constexpr std::size_t kHeadsAtOnce = 16;
  const auto heads = std::make_unique_for_overwrite<FileHead[]>(std::min(files.size(), kHeadsAtOnce));
  for (std::size_t begin = 0; begin < files.size(); begin += kHeadsAtOnce) {
    const std::size_t count = std::min(kHeadsAtOnce, files.size() - begin);
    ProbeHeads(fs, files.subspan(begin, count), std::span(heads.get(), count), std::span(probes).subspan(begin, count));
  }
  return probes;
}

}  // namespace kestrilo
