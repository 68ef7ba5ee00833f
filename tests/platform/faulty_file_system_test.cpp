#include "support/faulty_file_system.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_tree.h"

namespace kestrilo {
namespace {

using testing::TempTree;

class FaultyFileSystemTest : public ::testing::Test {
 protected:
  TempTree tree;
  FaultyFileSystem faulty{SystemFileSystem()};
};

TEST_F(FaultyFileSystemTest, FailsListingOnlyTheNamedFolder) {
  tree.Write("bad/inside", "1");
  tree.Write("good/inside", "2");
  faulty.FailList(tree.Path("bad"));

  std::vector<DirEntry> entries{{"stale", EntryKind::File}};
  EXPECT_FALSE(faulty.ListFolder(tree.Path("bad"), entries));
  EXPECT_TRUE(entries.empty());
  // Paths are compared exactly: another spelling of the folder is not failed.
  EXPECT_TRUE(faulty.ListFolder(tree.Path("bad/"), entries));
  EXPECT_EQ(entries.size(), 1u);
  EXPECT_TRUE(faulty.ListFolder(tree.Path("good"), entries));
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "inside");
  // The folder itself can still be examined and its files opened.
  EXPECT_EQ(faulty.Examine(tree.Path("bad"), true)->kind, EntryKind::Folder);
  EXPECT_TRUE(faulty.OpenRead(tree.Path("bad/inside")).IsOpen());
}

TEST_F(FaultyFileSystemTest, FailsOpeningAndRemovingNamedFiles) {
  const std::string locked = tree.Write("locked", "secret");
  const std::string kept = tree.Write("kept", "x");
  const std::string free = tree.Write("free", "y");
  faulty.FailOpen(locked);
  faulty.FailUnlink(kept);

  EXPECT_FALSE(faulty.OpenRead(locked).IsOpen());
  EXPECT_TRUE(faulty.Exists(locked));
  EXPECT_EQ(faulty.Examine(locked, false)->size, 6u);
  EXPECT_TRUE(faulty.OpenRead(kept).IsOpen());

  EXPECT_FALSE(faulty.Unlink(kept));
  EXPECT_TRUE(SystemFileSystem().Exists(kept));
  EXPECT_TRUE(faulty.Unlink(locked));
  EXPECT_FALSE(SystemFileSystem().Exists(locked));
  EXPECT_TRUE(faulty.Unlink(free));
  EXPECT_FALSE(faulty.Unlink(free));  // the real failure of a second removal comes through
}

TEST_F(FaultyFileSystemTest, ClearRestoresEverything) {
  const std::string file = tree.Write("f", "z");
  const std::string folder = tree.MakeFolder("d");
  faulty.FailOpen(file);
  faulty.FailList(folder);
  faulty.FailUnlink(file);
  faulty.Clear();

  std::vector<DirEntry> entries;
  EXPECT_TRUE(faulty.OpenRead(file).IsOpen());
  EXPECT_TRUE(faulty.ListFolder(folder, entries));
  EXPECT_TRUE(faulty.Unlink(file));
}

TEST_F(FaultyFileSystemTest, PassesMountsThrough) {
  const auto direct = SystemFileSystem().MountOf(tree.Root());
  const auto wrapped = faulty.MountOf(tree.Root());
  ASSERT_TRUE(direct && wrapped);
  EXPECT_EQ(wrapped->device, direct->device);
  EXPECT_EQ(wrapped->mountPoint, direct->mountPoint);
  EXPECT_EQ(wrapped->isNetwork, direct->isNetwork);
}

}  // namespace
}  // namespace kestrilo
