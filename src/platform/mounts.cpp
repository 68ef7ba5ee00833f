#include "platform/mounts.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

#include <array>
#include <cstdlib>
#include <memory>
#include <optional>

#include "platform/file_system.h"
#include "platform/path_text.h"

namespace kestrilo {

namespace {

std::vector<std::string_view> SplitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t at = 0;
  while (at < line.size()) {
    const auto end = line.find(' ', at);
    const auto stop = end == std::string_view::npos ? line.size() : end;
    if (stop > at) fields.push_back(line.substr(at, stop - at));
    at = stop + 1;
  }
  return fields;
}

bool IsOctal(char c) { return c >= '0' && c <= '7'; }

std::string DecodeOctalEscapes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size() && IsOctal(text[i + 1]) && IsOctal(text[i + 2]) &&
        IsOctal(text[i + 3])) {
      out.push_back(static_cast<char>((text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 + (text[i + 3] - '0')));
      i += 3;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

std::optional<std::uint32_t> ParseNumber(std::string_view text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  std::uint32_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint32_t>(c - '0');
  }
  return value;
}

std::optional<MountTableEntry> ParseLine(std::string_view line) {
  // id parent major:minor root mount-point options [optional...] - type source super-options
  const auto fields = SplitFields(line);
  if (fields.size() < 7) return std::nullopt;
  const auto colon = fields[2].find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  const auto major = ParseNumber(fields[2].substr(0, colon));
  const auto minor = ParseNumber(fields[2].substr(colon + 1));
  if (!major || !minor) return std::nullopt;
  for (std::size_t i = 6; i + 1 < fields.size(); ++i) {
    if (fields[i] == "-") {
      return MountTableEntry{*major, *minor, DecodeOctalEscapes(fields[4]), DecodeOctalEscapes(fields[i + 1])};
    }
  }
  return std::nullopt;
}

bool HasPrefix(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

std::optional<std::string> ReadProcFile(const char* path) {
  const FileHandle file(::open(path, O_RDONLY | O_CLOEXEC));
  if (!file.IsOpen()) return std::nullopt;
  std::string text;
  std::array<char, 16384> chunk{};
  for (;;) {
    const long got = file.ReadFull(chunk.data(), chunk.size());
    if (got < 0) return std::nullopt;
    text.append(chunk.data(), static_cast<std::size_t>(got));
    if (static_cast<std::size_t>(got) < chunk.size()) return text;
  }
}

std::string CanonicalPath(const std::string& path) {
  const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
  return real ? std::string(real.get()) : path;
}

// Without a mount table: the highest folder above the path that is still on
// the path's device.
std::string AscendToMountPoint(const std::string& realPath, dev_t device) {
  std::string top = realPath;
  while (top.size() > 1) {
    auto parent = std::string(SplitAtLastSeparator(top).folder);
    if (parent.empty()) parent = std::string(1, kSeparator);
    struct stat info {};
    if (::stat(parent.c_str(), &info) != 0 || info.st_dev != device) break;
    top = std::move(parent);
  }
  return top;
}

}  // namespace

std::vector<MountTableEntry> ParseMountTable(std::string_view text) {
  std::vector<MountTableEntry> table;
  std::size_t at = 0;
  while (at < text.size()) {
    const auto end = text.find('\n', at);
    const auto stop = end == std::string_view::npos ? text.size() : end;
    if (auto entry = ParseLine(text.substr(at, stop - at))) table.push_back(std::move(*entry));
    at = stop + 1;
  }
  return table;
}

bool MountPointContains(std::string_view mountPoint, std::string_view path) {
  if (mountPoint.empty() || !HasPrefix(path, mountPoint)) return false;
  return path.size() == mountPoint.size() || EndsWithSeparator(mountPoint) || path[mountPoint.size()] == kSeparator;
}

const MountTableEntry* FindMount(const std::vector<MountTableEntry>& table, std::uint32_t major, std::uint32_t minor,
                                 std::string_view realPath) {
  const MountTableEntry* sameDevice = nullptr;
  const MountTableEntry* any = nullptr;
  for (const auto& entry : table) {
    if (!MountPointContains(entry.mountPoint, realPath)) continue;
    if (any == nullptr || entry.mountPoint.size() >= any->mountPoint.size()) any = &entry;
    if (entry.major == major && entry.minor == minor &&
        (sameDevice == nullptr || entry.mountPoint.size() >= sameDevice->mountPoint.size())) {
      sameDevice = &entry;
    }
  }
  return sameDevice != nullptr ? sameDevice : any;
}

bool IsNetworkFileSystemType(std::string_view type) {
  static constexpr std::string_view kNetwork[] = {
      "nfs",  "nfs4",      "cifs",   "smb3", "smbfs",    "smb",    "ncpfs", "ncp",   "afs",    "coda",     "9p",
      "ceph", "glusterfs", "lustre", "gpfs", "orangefs", "beegfs", "davfs", "sshfs", "vboxsf", "virtiofs", "fuse"};
  for (const auto network : kNetwork) {
    if (type == network) return true;
  }
  return HasPrefix(type, "fuse.");
}

bool IsNetworkFileSystemMagic(std::uint64_t magic) {
  static constexpr std::uint64_t kNetwork[] = {
      0x6969,      // NFS
      0x517B,      // SMB
      0xFF534D42,  // CIFS
      0xFE534D42,  // SMB2
      0x564C,      // NCP
      0x5346414F,  // AFS
      0x6B414653,  // kAFS
      0x73757245,  // Coda
      0x01021997,  // 9p
      0x00C36400,  // Ceph
      0x786F4256,  // VirtualBox shared folder
      0x65735546,  // FUSE
  };
  for (const auto network : kNetwork) {
    if (magic == network) return true;
  }
  return false;
}

std::optional<FileSystem::MountInfo> PosixFileSystem::MountOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  const std::string realPath = CanonicalPath(path);
  MountInfo mount;
  mount.device = static_cast<std::uint64_t>(info.st_dev);
  if (const auto text = ReadProcFile("/proc/self/mountinfo")) {
    const auto table = ParseMountTable(*text);
    if (const auto* entry = FindMount(table, major(info.st_dev), minor(info.st_dev), realPath)) {
      mount.mountPoint = entry->mountPoint;
      mount.isNetwork = IsNetworkFileSystemType(entry->type);
      return mount;
    }
  }
  mount.mountPoint = AscendToMountPoint(realPath, info.st_dev);
  struct statfs fsInfo {};
  mount.isNetwork =
      ::statfs(path.c_str(), &fsInfo) == 0 && IsNetworkFileSystemMagic(static_cast<std::uint64_t>(fsInfo.f_type));
  return mount;
}

}  // namespace kestrilo
