#include "platform/batched_reads.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "support/bounded_run.h"
#include "support/temp_tree.h"

namespace kestrilo::testing {
namespace {

// Each test runs for both ways of reading a batch; the ring's only where the
// kernel offers io_uring.
class BatchedReadsBy : public ::testing::TestWithParam<ReadMethod> {
 protected:
  bool RingMissing(bool read) const { return GetParam() == ReadMethod::Ring && !read; }
};

TEST_P(BatchedReadsBy, HeadsHoldKindSizeAndFirstBytes) {
  TempTree tree;
  std::vector<std::string> paths = {
      tree.WriteSized("a/small", 100, 1),  tree.WriteSized("a/exact", kHeadBytes, 2),
      tree.WriteSized("a/large", 5000, 3), tree.Write("a/empty", ""),
      tree.MakeFolder("a/folder"),         tree.Path("a/missing"),
  };
  // More files than one submission takes, half of them by full path.
  for (int i = 0; i < 150; ++i) paths.push_back(tree.WriteSized("b/" + std::to_string(i), 10 + i, 100 + i));

  PosixFileSystem fs(GetParam());
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
  if (RingMissing(heads[0].complete)) GTEST_SKIP() << "io_uring is not available here";

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
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(heads[i].bytes.data()), heads[i].count),
              ReadWholeFile(paths[i]));
  }
}

// Only regular files are read, never through a link, and nothing waits: a
// FIFO, even one with a writer that never writes, is left to the caller.
TEST_P(BatchedReadsBy, HeadsOfLinksAndFifosAreLeftIncompleteWithoutWaiting) {
  TempTree tree;
  const std::string file = tree.WriteSized("file", 100, 1);
  const std::string fifo = tree.Path("fifo");
  const std::string heldFifo = tree.Path("held-fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo(heldFifo.c_str(), 0600), 0);
  int writer = ::open(heldFifo.c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_GE(writer, 0);
  const std::vector<std::string> paths = {tree.Symlink("link", file), fifo, heldFifo, file};

  PosixFileSystem fs(GetParam());
  const FileHandle folder = fs.OpenFolder(tree.Root());
  std::vector<HeadRequest> requests;
  for (const auto& path : paths) requests.push_back({&folder, path.c_str() + tree.Root().size() + 1, &path});
  std::vector<FileHead> heads(requests.size());
  const bool ended = EndsWithin(
      std::chrono::seconds(20), [&] { fs.ReadHeads(requests, heads); },
      [&] {
        OpenWriters({fifo});
        if (writer >= 0) ::close(writer);
        writer = -1;
      });
  if (writer >= 0) ::close(writer);
  EXPECT_TRUE(ended) << "reading the heads waited";
  if (RingMissing(heads[3].complete)) GTEST_SKIP() << "io_uring is not available here";
  EXPECT_FALSE(heads[0].complete);
  EXPECT_FALSE(heads[1].complete);
  EXPECT_FALSE(heads[2].complete);
  EXPECT_EQ(heads[3].size, 100u);

  // The ring, where it read, is still whole for the next batch.
  std::vector<FileHead> again(1);
  fs.ReadHeads(std::span(requests).subspan(3), again);
  EXPECT_TRUE(again[0].complete);
}

// Small files come whole, with the facts their open would give; anything that
// is not one regular file of at most the expected size is left to the caller.
TEST_P(BatchedReadsBy, SmallRegularFilesComeWholeAndTheRestIsLeft) {
  TempTree tree;
  std::vector<std::string> paths = {tree.WriteSized("a", 4096, 1), tree.WriteSized("grown", 4097, 2),
                                    tree.Write("empty", ""),       tree.MakeFolder("folder"),
                                    tree.Path("missing"),          tree.Symlink("link", tree.Path("a"))};
  // More files than one batch holds.
  for (int i = 0; i < 100; ++i) paths.push_back(tree.WriteSized("b/" + std::to_string(i), 3000 + i, 10 + i));
  std::vector<WholeRequest> requests;
  for (const auto& path : paths) requests.push_back({&path, 4096 + 99});
  requests[1].most = 4096;

  PosixFileSystem fs(GetParam());
  std::vector<std::optional<FileFacts>> facts(paths.size());
  std::vector<std::string> contents(paths.size());
  fs.ReadWholeFiles(requests, [&](std::size_t place, const FileFacts& got, std::span<const std::uint8_t> bytes) {
    ASSERT_LT(place, paths.size());
    EXPECT_FALSE(facts[place].has_value()) << "told twice of " << paths[place];
    facts[place] = got;
    contents[place].assign(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  });
  if (RingMissing(facts[0].has_value())) GTEST_SKIP() << "io_uring is not available here";

  for (const std::size_t left : {1, 3, 4, 5}) EXPECT_FALSE(facts[left].has_value()) << paths[left];
  for (std::size_t i = 0; i < paths.size(); ++i) {
    if (i == 1 || (i >= 3 && i <= 5)) continue;
    ASSERT_TRUE(facts[i].has_value()) << paths[i];
    EXPECT_EQ(contents[i], ReadWholeFile(paths[i]));
    EXPECT_EQ(*facts[i], fs.OpenRead(paths[i]).OpenedFacts()) << paths[i];
  }
}

// Writes `count` files of the sizes in turn and has the page cache let go of
// their bytes; false where it keeps them (a file system in memory).
bool WriteOutOfTheCache(TempTree& tree, const std::vector<std::size_t>& sizes, std::size_t count,
                        std::vector<std::string>& paths) {
  for (std::size_t i = 0; i < count; ++i) {
    paths.push_back(
        tree.WriteSized("cold/" + std::to_string(i), sizes[i % sizes.size()], static_cast<std::uint32_t>(i)));
    const int fd = ::open(paths.back().c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
  }
  const int fd = ::open(paths.front().c_str(), O_RDONLY | O_CLOEXEC);
  char byte;
  iovec part{&byte, 1};
  const bool dropped = ::preadv2(fd, &part, 1, 0, RWF_NOWAIT) < 0 && errno == EAGAIN;
  ::close(fd);
  return dropped;
}

void ExpectHeadsOf(const std::vector<std::string>& paths, const std::vector<FileHead>& heads) {
  for (std::size_t i = 0; i < paths.size(); ++i) {
    ASSERT_TRUE(heads[i].complete) << paths[i];
    const std::string content = ReadWholeFile(paths[i]);
    EXPECT_EQ(heads[i].size, content.size()) << paths[i];
    const std::size_t head = content.size() <= kSmallFileBytes ? content.size() : kHeadBytes;
    ASSERT_EQ(heads[i].count, head) << paths[i];
    EXPECT_EQ(std::memcmp(heads[i].bytes.data(), content.data(), head), 0) << paths[i];
  }
}

std::vector<HeadRequest> ByPath(const std::vector<std::string>& paths) {
  std::vector<HeadRequest> requests;
  for (const auto& path : paths) requests.push_back({nullptr, path.c_str(), &path});
  return requests;
}

// Calls start every read of a batch before waiting for any: files that have
// to come from the disk are read whole all the same, small ones to their end
// and larger ones to their head, also beyond one page.
TEST(BatchedReadsByCalls, FilesOutOfTheCacheAreReadAsWhenWarm) {
  TempTree tree;
  std::vector<std::string> paths;
  if (!WriteOutOfTheCache(tree, {100, kHeadBytes, kSmallFileBytes, kSmallFileBytes + 1, 5000, 300000}, 40, paths))
    GTEST_SKIP() << "the page cache keeps these files";
  PosixFileSystem fs(ReadMethod::Calls);
  const std::vector<HeadRequest> requests = ByPath(paths);
  std::vector<FileHead> heads(requests.size());
  fs.ReadHeads(requests, heads);
  ExpectHeadsOf(paths, heads);
}

// With the descriptors all but used up, the files opened so far are read and
// closed before the next is opened: none is left out.
TEST(BatchedReadsByCalls, ADescriptorLimitReadsTheStartedFilesFirst) {
  TempTree tree;
  std::vector<std::string> paths;
  if (!WriteOutOfTheCache(tree, {3000, 6000}, 24, paths)) GTEST_SKIP() << "the page cache keeps these files";
  PosixFileSystem fs(ReadMethod::Calls);
  const std::vector<HeadRequest> requests = ByPath(paths);
  std::vector<FileHead> heads(requests.size());
  rlimit limit{};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limit), 0);
  // Room for three more descriptors than are open now.
  const int lowest = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  ::close(lowest);
  rlimit low = limit;
  low.rlim_cur = static_cast<rlim_t>(lowest + 3);
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
  fs.ReadHeads(requests, heads);
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &limit), 0);
  ExpectHeadsOf(paths, heads);
}

INSTANTIATE_TEST_SUITE_P(, BatchedReadsBy, ::testing::Values(ReadMethod::Ring, ReadMethod::Calls),
                         [](const ::testing::TestParamInfo<ReadMethod>& info) {
                           return info.param == ReadMethod::Ring ? "ring" : "calls";
                         });

}  // namespace
}  // namespace kestrilo::testing
