#include "delete/deletion_scope.h"

#include <gtest/gtest.h>

#include <string>

#include "delete/deletion_fixture.h"

namespace kestrilo {
namespace {

struct BelowCase {
  const char* cell;
  const char* folder;
  bool below;
};

class IsBelowFolderTest : public ::testing::TestWithParam<BelowCase> {};

TEST_P(IsBelowFolderTest, NeedsTheSeparatorAfterThePrefix) {
  const auto& c = GetParam();
  EXPECT_EQ(IsBelowFolder(c.cell, c.folder), c.below) << "cell " << c.cell << ", folder " << c.folder;
  EXPECT_EQ(BelowFolder(c.folder)(c.cell), c.below);
}

INSTANTIATE_TEST_SUITE_P(Folders, IsBelowFolderTest,
                         ::testing::Values(BelowCase{"/data", "/data", true},
                                           BelowCase{"/data/sub", "/data", true},
                                           BelowCase{"/data/sub/deeper", "/data", true},
                                           BelowCase{"/data2", "/data", false},
                                           BelowCase{"/database", "/data", false},
                                           BelowCase{"/Data", "/data", false},
                                           BelowCase{"/dat", "/data", false},
                                           BelowCase{"/data", "/data/sub", false},
                                           // The root folder's cell is empty and holds every folder.
                                           BelowCase{"", "", true},
                                           BelowCase{"/x", "", true},
                                           BelowCase{"/x/y", "", true},
                                           BelowCase{"", "/x", false},
                                           // Names that are not UTF-8 compare byte for byte.
                                           BelowCase{"/d\xff/e", "/d\xff", true},
                                           BelowCase{"/d\xfe", "/d\xff", false}));

TEST(WithoutTrailingSeparators, TurnsAFolderArgumentIntoAFolderCell) {
  EXPECT_EQ(WithoutTrailingSeparators("/data/"), "/data");
  EXPECT_EQ(WithoutTrailingSeparators("/data//"), "/data");
  EXPECT_EQ(WithoutTrailingSeparators("/data"), "/data");
  EXPECT_EQ(WithoutTrailingSeparators("/"), "");
  EXPECT_EQ(WithoutTrailingSeparators(""), "");
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
