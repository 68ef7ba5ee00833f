#include "platform/storage_reads.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/magic.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <vector>

#include "support/temp_tree.h"

namespace kestrilo::testing {
namespace {

// A file put out of the page cache is counted when read again, and a read
// that the cache answers is not.
TEST(StorageReads, CountsTheDiskNotThePageCache) {
  TempTree tree;
  constexpr std::size_t kBytes = 1 << 20;
  const std::string path = tree.WriteSized("a.bin", kBytes, 7);
  struct statfs where {};
  ASSERT_EQ(::statfs(path.c_str(), &where), 0);
  if (where.f_type == TMPFS_MAGIC) GTEST_SKIP() << "a file in memory is never read from storage";
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::fdatasync(fd), 0);
  ASSERT_EQ(::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED), 0);
  std::vector<char> bytes(kBytes);

  const auto before = StorageReadBytes();
  ASSERT_TRUE(before.has_value());
  ASSERT_EQ(::pread(fd, bytes.data(), kBytes, 0), static_cast<ssize_t>(kBytes));
  const auto fromDisk = StorageReadBytes();
  ASSERT_TRUE(fromDisk.has_value());
  EXPECT_GE(*fromDisk - *before, kBytes);

  ASSERT_EQ(::pread(fd, bytes.data(), kBytes, 0), static_cast<ssize_t>(kBytes));
  EXPECT_EQ(StorageReadBytes(), fromDisk);
  ::close(fd);
}

}  // namespace
}  // namespace kestrilo::testing
