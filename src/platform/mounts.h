#pragma once
// The table of mounted file systems (/proc/self/mountinfo), the choice of the
// mount that holds a path, and which file system types keep their files on
// another machine or behind a FUSE server. PosixFileSystem::MountOf is built
// on these; they take plain data so that every rule can be checked without
// mounting anything.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrilo {

struct MountTableEntry {
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::string mountPoint;  // octal escapes (\040 for a blank, ...) decoded
  std::string type;        // "ext4", "nfs4", "fuse.sshfs", ...
};

// The entries of a mountinfo text in its order; lines that do not parse are
// left out.
std::vector<MountTableEntry> ParseMountTable(std::string_view text);

// True when `mountPoint` is `path` or one of its ancestor folders.
bool MountPointContains(std::string_view mountPoint, std::string_view path);

// The mount that holds `realPath` (a canonical path): the one with the longest
// mount point containing it among those of device major:minor; when no entry
// has that device (btrfs subvolumes report their own), the longest among all.
// Of equal mount points the later entry wins, as it is mounted over the
// earlier. Null when nothing contains the path.
const MountTableEntry* FindMount(const std::vector<MountTableEntry>& table, std::uint32_t major, std::uint32_t minor,
                                 std::string_view realPath);

// Network file systems (NFS, SMB/CIFS, AFS, Ceph, 9p, ...) and FUSE mounts
// ("fuse", "fuse.sshfs", ...) except "fuseblk", which is a local disk driven
// by a FUSE program such as ntfs-3g.
bool IsNetworkFileSystemType(std::string_view type);

// The same judgement from a statfs f_type, used when the mount table cannot be
// read. FUSE cannot be told from fuseblk there and counts as network.
bool IsNetworkFileSystemMagic(std::uint64_t magic);

}  // namespace kestrilo
