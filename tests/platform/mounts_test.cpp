#include "platform/mounts.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cctype>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/file_system.h"
#include "support/temp_tree.h"

namespace kestrilo {
namespace {

constexpr const char* kMountInfo =
    "21 26 0:20 / /proc rw,relatime - proc proc rw\n"
    "26 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw\n"
    "40 26 8:17 / /mnt/data rw,relatime shared:5 master:2 - ext4 /dev/sdb1 rw\n"
    "41 26 0:50 / /mnt/my\\040share rw - cifs //server/share rw,vers=3.0\n"
    "42 40 0:51 / /mnt/data/remote rw - fuse.sshfs user@host: rw\n"
    "43 26 0:52 / /mnt/data rw - nfs4 server:/export rw\n"
    "44 26 8:33 /sub /srv/bound rw - btrfs /dev/sdc1 rw\n"
    "this line is not a mount\n"
    "45 26 x:1 / /bad rw - ext4 /dev/x rw\n"
    "46 26 8:1 / /no-separator rw ext4 /dev/y rw\n";

TEST(MountTable, ParsesFieldsAndDecodesEscapes) {
  const auto table = ParseMountTable(kMountInfo);
  ASSERT_EQ(table.size(), 7u);
  EXPECT_EQ(table[1].major, 254u);
  EXPECT_EQ(table[1].minor, 0u);
  EXPECT_EQ(table[1].mountPoint, "/");
  EXPECT_EQ(table[1].type, "ext4");
  EXPECT_EQ(table[2].mountPoint, "/mnt/data");  // two optional fields before "-"
  EXPECT_EQ(table[2].major, 8u);
  EXPECT_EQ(table[2].minor, 17u);
  EXPECT_EQ(table[3].mountPoint, "/mnt/my share");
  EXPECT_EQ(table[3].type, "cifs");
  EXPECT_EQ(table[4].type, "fuse.sshfs");
  EXPECT_TRUE(ParseMountTable("").empty());
}

TEST(MountTable, MountPointContainsWholeFoldersOnly) {
  EXPECT_TRUE(MountPointContains("/", "/anything"));
  EXPECT_TRUE(MountPointContains("/mnt/data", "/mnt/data"));
  EXPECT_TRUE(MountPointContains("/mnt/data", "/mnt/data/x/y"));
  EXPECT_FALSE(MountPointContains("/mnt/data", "/mnt/database"));
  EXPECT_FALSE(MountPointContains("/mnt/data", "/mnt"));
  EXPECT_FALSE(MountPointContains("", "/mnt"));
}

TEST(MountTable, ChoosesTheDeepestMountOfTheDevice) {
  const auto table = ParseMountTable(kMountInfo);
  const auto* root = FindMount(table, 254, 0, "/home/user/file");
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->mountPoint, "/");

  // /mnt/data is mounted twice; the device decides which one holds the path.
  const auto* disk = FindMount(table, 8, 17, "/mnt/data/photos");
  ASSERT_NE(disk, nullptr);
  EXPECT_EQ(disk->type, "ext4");
  const auto* nfs = FindMount(table, 0, 52, "/mnt/data/photos");
  ASSERT_NE(nfs, nullptr);
  EXPECT_EQ(nfs->type, "nfs4");

  const auto* sshfs = FindMount(table, 0, 51, "/mnt/data/remote/a");
  ASSERT_NE(sshfs, nullptr);
  EXPECT_EQ(sshfs->mountPoint, "/mnt/data/remote");

  // /mnt/database lies on the root file system, not below /mnt/data.
  const auto* beside = FindMount(table, 254, 0, "/mnt/database/x");
  ASSERT_NE(beside, nullptr);
  EXPECT_EQ(beside->mountPoint, "/");
}

TEST(MountTable, UnknownDeviceFallsBackToTheDeepestMountPoint) {
  const auto table = ParseMountTable(kMountInfo);
  // A btrfs subvolume reports a device of its own that no entry lists.
  const auto* entry = FindMount(table, 0, 99, "/srv/bound/sub/file");
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->mountPoint, "/srv/bound");
  // Of the two /mnt/data entries the later one is on top.
  const auto* top = FindMount(table, 0, 98, "/mnt/data/x");
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(top->type, "nfs4");
  EXPECT_EQ(FindMount(table, 0, 0, "relative/path"), nullptr);
}

struct TypeCase {
  const char* type;
  bool network;
};

class NetworkTypes : public ::testing::TestWithParam<TypeCase> {};

TEST_P(NetworkTypes, Classifies) { EXPECT_EQ(IsNetworkFileSystemType(GetParam().type), GetParam().network); }

INSTANTIATE_TEST_SUITE_P(Types, NetworkTypes,
                         ::testing::Values(TypeCase{"nfs", true}, TypeCase{"nfs4", true}, TypeCase{"cifs", true},
                                           TypeCase{"smb3", true}, TypeCase{"smbfs", true}, TypeCase{"9p", true},
                                           TypeCase{"afs", true}, TypeCase{"ceph", true}, TypeCase{"glusterfs", true},
                                           TypeCase{"davfs", true}, TypeCase{"ncpfs", true}, TypeCase{"coda", true},
                                           TypeCase{"fuse", true}, TypeCase{"fuse.sshfs", true},
                                           TypeCase{"fuse.rclone", true}, TypeCase{"fuse.glusterfs", true},
                                           TypeCase{"fuseblk", false}, TypeCase{"ext4", false},
                                           TypeCase{"btrfs", false}, TypeCase{"xfs", false}, TypeCase{"tmpfs", false},
                                           TypeCase{"overlay", false}, TypeCase{"vfat", false},
                                           TypeCase{"ntfs3", false}, TypeCase{"nfsd", false}, TypeCase{"", false}),
                         [](const auto& info) {
                           std::string name;
                           for (const char c : std::string(info.param.type))
                             name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name.empty() ? std::string("empty") : name;
                         });

TEST(NetworkMagic, KnowsTheCommonNetworkFileSystems) {
  EXPECT_TRUE(IsNetworkFileSystemMagic(0x6969));       // NFS
  EXPECT_TRUE(IsNetworkFileSystemMagic(0xFF534D42));   // CIFS
  EXPECT_TRUE(IsNetworkFileSystemMagic(0xFE534D42));   // SMB2
  EXPECT_TRUE(IsNetworkFileSystemMagic(0x65735546));   // FUSE
  EXPECT_FALSE(IsNetworkFileSystemMagic(0xEF53));      // ext2/3/4
  EXPECT_FALSE(IsNetworkFileSystemMagic(0x01021994));  // tmpfs
  EXPECT_FALSE(IsNetworkFileSystemMagic(0x9123683E));  // btrfs
}

std::string RealPath(const std::string& path) {
  const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
  return real ? real.get() : "";
}

TEST(MountOf, TemporaryFolderIsLocal) {
  testing::TempTree tree;
  const std::string folder = tree.MakeFolder("sub/deeper");
  const auto mount = SystemFileSystem().MountOf(folder);
  ASSERT_TRUE(mount);
  EXPECT_FALSE(mount->isNetwork);
  EXPECT_EQ(mount->device, SystemFileSystem().Examine(folder, true)->id.device);
  EXPECT_TRUE(MountPointContains(mount->mountPoint, RealPath(folder))) << mount->mountPoint;

  // The mount point is on the same device, and a file below the folder is on the same mount.
  EXPECT_EQ(SystemFileSystem().Examine(mount->mountPoint, true)->id.device, mount->device);
  const auto ofFile = SystemFileSystem().MountOf(tree.Write("sub/deeper/f", "x"));
  ASSERT_TRUE(ofFile);
  EXPECT_EQ(ofFile->mountPoint, mount->mountPoint);
  EXPECT_EQ(ofFile->device, mount->device);
}

TEST(MountOf, FollowsLinksAndRefusesMissingPaths) {
  testing::TempTree tree;
  const std::string folder = tree.MakeFolder("real");
  const std::string link = tree.Symlink("link", folder);
  const auto direct = SystemFileSystem().MountOf(folder);
  const auto viaLink = SystemFileSystem().MountOf(link);
  ASSERT_TRUE(direct && viaLink);
  EXPECT_EQ(viaLink->device, direct->device);
  EXPECT_EQ(viaLink->mountPoint, direct->mountPoint);
  EXPECT_FALSE(SystemFileSystem().MountOf(tree.Path("missing")).has_value());

  const auto root = SystemFileSystem().MountOf("/");
  ASSERT_TRUE(root);
  EXPECT_EQ(root->mountPoint, "/");
}

}  // namespace
}  // namespace kestrilo
