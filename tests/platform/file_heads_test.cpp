#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/file_heads.h"
#include "support/temp_tree.h"

namespace kestrilo::testing {
namespace {

TEST(FileHeads, ReadKindSizeAndFirstBytesOfABatch) {
  TempTree tree;
  std::vector<std::string> paths = {
      tree.WriteSized("a/small", 100, 1), tree.WriteSized("a/exact", kHeadBytes, 2), tree.WriteSized("a/large", 5000, 3),
      tree.Write("a/empty", ""),          tree.MakeFolder("a/folder"),             tree.Path("a/missing"),
  };
  // More files than one submission takes, half of them by full path.
  for (int i = 0; i < 150; ++i) paths.push_back(tree.WriteSized("b/" + std::to_string(i), 10 + i, 100 + i));

  PosixFileSystem fs;
  const FileHandle folderA = fs.OpenFolder(tree.Path("a"));
  ASSERT_TRUE(folderA.IsOpen());
  std::vector<HeadRequest> requests;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    const bool inA = i < 6;
    const std::size_t nameAt = paths[i].rfind('/') + 1;
    requests.push_back({inA ? &folderA : nullptr, paths[i].c_str() + nameAt, &paths[i]});
  }
  std::vector<FileHead> heads(requests.size());
  fs.ReadHeads(requests, heads);
  if (!heads[0].complete) GTEST_SKIP() << "io_uring is not available here; files are read one by one";

  const std::vector<std::uint64_t> sizes = {100, kHeadBytes, 5000, 0};
  for (std::size_t i = 0; i < 4; ++i) {
    ASSERT_TRUE(heads[i].complete) << paths[i];
    EXPECT_EQ(heads[i].kind, EntryKind::File);
    EXPECT_EQ(heads[i].size, sizes[i]);
    const std::string content = ReadWholeFile(paths[i]);
    const std::size_t head = std::min<std::size_t>(content.size(), kHeadBytes);
    ASSERT_EQ(heads[i].count, head);
    EXPECT_EQ(std::memcmp(heads[i].bytes.data(), content.data(), head), 0) << paths[i];
  }
  // A folder cannot be read and a missing file cannot be opened: both are left
  // to the caller, which tells them apart.
  EXPECT_FALSE(heads[4].complete);
  EXPECT_FALSE(heads[5].complete);
  for (std::size_t i = 6; i < paths.size(); ++i) {
    ASSERT_TRUE(heads[i].complete) << paths[i];
    EXPECT_EQ(heads[i].size, 10 + (i - 6));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(heads[i].bytes.data()), heads[i].count), ReadWholeFile(paths[i]));
  }
}

}  // namespace
}  // namespace kestrilo::testing
