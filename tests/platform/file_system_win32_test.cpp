#include "platform/file_system_win32.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/path_text.h"
#include "platform/win32_paths.h"
#include "support/temp_tree.h"

namespace kestrilo {
namespace {

using testing::TempTree;

std::map<std::string, EntryKind> KindsByName(const std::vector<DirEntry>& entries) {
  std::map<std::string, EntryKind> kinds;
  for (const auto& entry : entries) kinds[entry.name] = entry.kind;
  return kinds;
}

// Japanese, a name that code page 932 cannot spell, and one beyond the basic
// plane: each is listed, opened and removed by the name the listing gives.
const std::vector<std::string> kNames = {"\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.txt", "caf\xC3\xA9\xE2\x98\x83",
                                         "\xF0\x9F\x98\x80 smile", "plain.txt"};

TEST(Win32ListFolder, ListsEveryNameWholeWithItsKind) {
  TempTree tree;
  for (const auto& name : kNames) tree.Write(name, name);
  tree.MakeFolder("sub");
  Win32FileSystem fs;

  std::vector<DirEntry> entries{{"stale", EntryKind::File}};
  ASSERT_TRUE(fs.ListFolder(tree.Root(), entries));
  auto kinds = KindsByName(entries);
  EXPECT_EQ(kinds.size(), kNames.size() + 1);
  EXPECT_EQ(kinds["sub"], EntryKind::Folder);
  std::vector<DirEntry> again;
  ASSERT_TRUE(fs.ListFolder(tree.Root() + kSeparator, again));
  EXPECT_EQ(again.size(), entries.size());

  for (const auto& name : kNames) {
    ASSERT_EQ(kinds[name], EntryKind::File) << name;
    const std::string path = tree.Path(name);
    {
      const FileHandle file = fs.OpenRead(path);
      ASSERT_TRUE(file.IsOpen()) << name;
      std::string content(64, '\0');
      content.resize(static_cast<std::size_t>(file.ReadFull(content.data(), content.size())));
      EXPECT_EQ(content, name);
    }
    EXPECT_TRUE(fs.Exists(path));
    EXPECT_TRUE(fs.Unlink(path)) << name;
    EXPECT_FALSE(fs.Exists(path));
  }

  EXPECT_FALSE(fs.ListFolder(tree.Path("missing"), entries));
  EXPECT_FALSE(fs.ListFolder(tree.Path("sub/..\xFF"), entries));
}

TEST(Win32Examine, IdentityIsOneForHardLinksAndFoldersAreRefusedForReading) {
  TempTree tree;
  const std::string a = tree.Write("a.txt", "same");
  const std::string b = tree.Write("b.txt", "same");
  const std::string link = tree.HardLink("link.txt", "a.txt");
  Win32FileSystem fs;

  const auto factsA = fs.Examine(a, false);
  const auto factsB = fs.Examine(b, false);
  const auto factsLink = fs.Examine(link, false);
  ASSERT_TRUE(factsA && factsB && factsLink);
  EXPECT_EQ(factsA->kind, EntryKind::File);
  EXPECT_EQ(factsA->size, 4u);
  EXPECT_EQ(factsA->id, factsLink->id);
  EXPECT_NE(factsA->id, factsB->id);
  EXPECT_EQ(factsA->id.device, factsB->id.device);
  const FileHandle open = fs.OpenRead(a);
  ASSERT_TRUE(open.IsOpen());
  EXPECT_EQ(open.Facts(), factsA);

  const auto folder = fs.Examine(tree.Root(), true);
  ASSERT_TRUE(folder);
  EXPECT_EQ(folder->kind, EntryKind::Folder);
  EXPECT_FALSE(fs.OpenRead(tree.Root()).IsOpen());
  EXPECT_FALSE(fs.Examine(tree.Path("missing"), true));
}

// Reparse points stand for other names: listed as links, examined as
// themselves unless followed, never opened for reading.
TEST(Win32ListFolder, ReparsePointsAreLinks) {
  TempTree tree;
  const std::string target = tree.Write("target.txt", "data");
  tree.MakeFolder("folder");
  const std::wstring fileLink = SystemPath(tree.Path("file-link"));
  const std::wstring folderLink = SystemPath(tree.Path("folder-link"));
  ::CreateSymbolicLinkW(fileLink.c_str(), SystemPath(target).c_str(), SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
  ::CreateSymbolicLinkW(folderLink.c_str(), SystemPath(tree.Path("folder")).c_str(),
                        SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
  // Wine answers success and creates nothing.
  for (const auto& link : {fileLink, folderLink}) {
    const DWORD attributes = ::GetFileAttributesW(link.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
      GTEST_SKIP() << "this system creates no symbolic links";
    }
  }
  Win32FileSystem fs;
  std::vector<DirEntry> entries;
  ASSERT_TRUE(fs.ListFolder(tree.Root(), entries));
  auto kinds = KindsByName(entries);
  EXPECT_EQ(kinds["file-link"], EntryKind::Link);
  EXPECT_EQ(kinds["folder-link"], EntryKind::Link);
  EXPECT_EQ(fs.Examine(tree.Path("file-link"), false)->kind, EntryKind::Link);
  EXPECT_EQ(fs.Examine(tree.Path("file-link"), true)->kind, EntryKind::File);
  EXPECT_FALSE(fs.OpenRead(tree.Path("file-link")).IsOpen());
  ::RemoveDirectoryW(folderLink.c_str());
  ::DeleteFileW(fileLink.c_str());
}

// A cloud client marks the files it keeps elsewhere; Wine keeps the offline
// mark, the nearest it has to a placeholder.
TEST(Win32ListFolder, OfflineFilesAreInTheCloudAndNeverOpened) {
  TempTree tree;
  const std::string remote = tree.Write("remote", "there");
  tree.Write("local", "here");
  ASSERT_TRUE(::SetFileAttributesW(SystemPath(remote).c_str(), FILE_ATTRIBUTE_OFFLINE));
  if ((::GetFileAttributesW(SystemPath(remote).c_str()) & FILE_ATTRIBUTE_OFFLINE) == 0) {
    GTEST_SKIP() << "this system does not keep the offline attribute";
  }
  Win32FileSystem fs;
  std::vector<DirEntry> entries;
  ASSERT_TRUE(fs.ListFolder(tree.Root(), entries));
  std::map<std::string, bool> inCloud;
  for (const auto& entry : entries) inCloud[entry.name] = entry.inCloud;
  EXPECT_EQ(inCloud, (std::map<std::string, bool>{{"local", false}, {"remote", true}}));
  EXPECT_FALSE(fs.OpenRead(remote).IsOpen());
  EXPECT_FALSE(fs.OpenToKeep(remote).IsOpen());
  EXPECT_TRUE(fs.Examine(remote, false)->inCloud);
  EXPECT_TRUE(fs.OpenRead(tree.Path("local")).IsOpen());
}

TEST(Win32Unlink, ReadOnlyFileIsNotRemoved) {
  TempTree tree;
  const std::string path = tree.Write("kept.txt", "x");
  const std::wstring wide = SystemPath(path);
  ASSERT_TRUE(::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_READONLY));
  Win32FileSystem fs;
  EXPECT_FALSE(fs.Unlink(path));
  EXPECT_TRUE(fs.Exists(path));
  ASSERT_TRUE(::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_TRUE(fs.Unlink(path));
  EXPECT_FALSE(fs.Unlink(path));
  EXPECT_FALSE(fs.Unlink(tree.Root()));
}

TEST(Win32Paths, PathsLongerThanMaxPathWork) {
  TempTree tree;
  std::string folder = tree.Root();
  while (folder.size() < 2 * MAX_PATH) {
    folder += kSeparator + std::string(60, 'd');
    ASSERT_TRUE(::CreateDirectoryW(SystemPath(folder).c_str(), nullptr)) << folder.size();
  }
  const std::string file = JoinFolderAndName(folder, "deep.txt");
  const HANDLE created = ::CreateFileW(SystemPath(file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(created, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  ASSERT_TRUE(::WriteFile(created, "deep", 4, &written, nullptr));
  ::CloseHandle(created);

  Win32FileSystem fs;
  std::vector<DirEntry> entries;
  ASSERT_TRUE(fs.ListFolder(folder, entries));
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "deep.txt");
  EXPECT_EQ(fs.Examine(file, false)->size, 4u);
  EXPECT_TRUE(fs.OpenRead(file).IsOpen());
  EXPECT_TRUE(fs.Unlink(file));
  while (folder != tree.Root()) {
    ::RemoveDirectoryW(SystemPath(folder).c_str());
    folder = std::string(SplitAtLastSeparator(folder).folder);
  }
}

TEST(Win32MountOf, DriveIsTheVolumeAndNetworkPathsAreNetwork) {
  TempTree tree;
  const std::string folder = tree.MakeFolder("x");
  Win32FileSystem fs;
  const auto mount = fs.MountOf(folder);
  ASSERT_TRUE(mount);
  EXPECT_FALSE(mount->isNetwork);
  EXPECT_EQ(mount->device, fs.Examine(folder, true)->id.device);
  EXPECT_TRUE(tree.Root().starts_with(mount->mountPoint + kSeparator)) << mount->mountPoint;

  for (const char* network : {"\\\\server\\share\\folder", "\\\\server\\share", "//server/share/folder"}) {
    const auto refused = fs.MountOf(network);
    ASSERT_TRUE(refused) << network;
    EXPECT_TRUE(refused->isNetwork) << network;
  }
  EXPECT_FALSE(fs.MountOf(tree.Path("missing")));
}

struct CellCase {
  const char* folderCell;
  const char* path;
};

class Win32FolderCell : public ::testing::TestWithParam<CellCase> {};

TEST_P(Win32FolderCell, NamesTheFolder) { EXPECT_EQ(FolderCellAsPath(GetParam().folderCell), GetParam().path); }

INSTANTIATE_TEST_SUITE_P(Cells, Win32FolderCell,
                         ::testing::Values(CellCase{"C:", "C:\\"}, CellCase{"z:", "z:\\"},
                                           CellCase{"C:\\data", "C:\\data"},
                                           CellCase{"\\\\server\\share", "\\\\server\\share"}));

TEST(Win32PathText, DriveRootsSplitIntoTheirCellAndAbsolutePathsAreKnown) {
  const SplitPath split = SplitAtLastSeparator("C:\\a.txt");
  EXPECT_EQ(split.folder, "C:");
  EXPECT_EQ(split.name, "a.txt");
  EXPECT_EQ(JoinFolderAndName("C:", "a.txt"), "C:\\a.txt");
  EXPECT_EQ(WithTrailingSeparator("C:\\"), "C:\\");
  for (const char* absolute : {"C:\\", "c:/x", "\\\\server\\share"}) EXPECT_TRUE(IsAbsolutePath(absolute)) << absolute;
  for (const char* relative : {"C:", "C:x", "x\\y", "\\x", ""}) EXPECT_FALSE(IsAbsolutePath(relative)) << relative;
}

}  // namespace
}  // namespace kestrilo
