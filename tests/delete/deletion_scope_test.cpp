#include "delete/deletion_scope.h"

#include <gtest/gtest.h>

#include <string>

#include "delete/deletion_fixture.h"
#include "platform/path_text.h"

namespace kestrilo {
namespace {

struct BelowCase {
  const char* cell;
  const char* folder;
  bool below;
};

class IsBelowFolderTest : public ::testing::TestWithParam<BelowCase> {};

// The cases are written with `/`; on Windows they hold its separator.
std::string Native(std::string_view text) {
  std::string native(text);
  for (auto& c : native) {
    if (c == '/') c = kSeparator;
  }
  return native;
}

TEST_P(IsBelowFolderTest, NeedsTheSeparatorAfterThePrefix) {
  const auto& c = GetParam();
  const std::string cell = Native(c.cell);
  const std::string folder = Native(c.folder);
  EXPECT_EQ(IsBelowFolder(cell, folder), c.below) << "cell " << cell << ", folder " << folder;
  EXPECT_EQ(BelowFolder(folder)(cell), c.below);
}

INSTANTIATE_TEST_SUITE_P(Folders, IsBelowFolderTest,
                         ::testing::Values(BelowCase{"/data", "/data", true}, BelowCase{"/data/sub", "/data", true},
                                           BelowCase{"/data/sub/deeper", "/data", true},
                                           BelowCase{"/data2", "/data", false}, BelowCase{"/database", "/data", false},
                                           BelowCase{"/Data", "/data", false}, BelowCase{"/dat", "/data", false},
                                           BelowCase{"/data", "/data/sub", false},
                                           // The root folder's cell is empty and holds every folder.
                                           BelowCase{"", "", true}, BelowCase{"/x", "", true},
                                           BelowCase{"/x/y", "", true}, BelowCase{"", "/x", false},
                                           // Names that are not UTF-8 compare byte for byte.
                                           BelowCase{"/d\xff/e", "/d\xff", true},
                                           BelowCase{"/d\xfe", "/d\xff", false}));

TEST(WithoutTrailingSeparators, TurnsAFolderArgumentIntoAFolderCell) {
  EXPECT_EQ(WithoutTrailingSeparators(Native("/data/")), Native("/data"));
  EXPECT_EQ(WithoutTrailingSeparators(Native("/data//")), Native("/data"));
  EXPECT_EQ(WithoutTrailingSeparators(Native("/data")), Native("/data"));
  EXPECT_EQ(WithoutTrailingSeparators(Native("/")), Native(""));
  EXPECT_EQ(WithoutTrailingSeparators(Native("")), Native(""));
}

using OnDeviceTest = testing::DeletionTest;

TEST_F(OnDeviceTest, JudgesEachFolderByItsFileSystem) {
  tree.Write("local/a", "x");
  tree.Write("other/b", "x");
  fs.FakeMount(tree.Path("other"), 4242, false);
  const auto local = fs.Examine(tree.Root(), true);
  ASSERT_TRUE(local);

  const FolderScope onLocal = OnDevice(fs, local->id.device);
  EXPECT_TRUE(onLocal(tree.Root()));
  EXPECT_TRUE(onLocal(tree.Path("local")));
  EXPECT_FALSE(onLocal(tree.Path("other")));
  EXPECT_FALSE(onLocal(tree.Path("missing")));

  const FolderScope onOther = OnDevice(fs, 4242);
  EXPECT_TRUE(onOther(tree.Path("other")));
  EXPECT_FALSE(onOther(tree.Path("local")));
}

}  // namespace
}  // namespace kestrilo
