#include "platform/file_system.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "support/bounded_run.h"
#include "support/temp_tree.h"

namespace kestrilo {
namespace {

using testing::TempTree;

std::map<std::string, EntryKind> KindsByName(const std::vector<DirEntry>& entries) {
  std::map<std::string, EntryKind> kinds;
  for (const auto& entry : entries) kinds[entry.name] = entry.kind;
  return kinds;
}

std::size_t OpenDescriptorCount() {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++count;
  return count;
}

TEST(ListFolder, ReportsEveryKindAndLeavesOutDotEntries) {
  TempTree tree;
  tree.Write("plain.txt", "x");
  tree.Write(".hidden", "y");
  tree.Write("\xFF\xFE-not-utf8", "z");
  tree.MakeFolder("sub");
  tree.MakeFolder(".hidden-folder");
  tree.Symlink("link-to-file", tree.Path("plain.txt"));
  tree.Symlink("link-to-folder", tree.Path("sub"));
  tree.Symlink("dangling", tree.Path("nowhere"));
  ASSERT_EQ(::mkfifo(tree.Path("pipe").c_str(), 0600), 0);

  const int sock = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  ASSERT_GE(sock, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socketPath = tree.Path("sock");
  ASSERT_LT(socketPath.size(), sizeof(address.sun_path));
  std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
  ASSERT_EQ(::bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
  ::close(sock);

  std::vector<DirEntry> entries{{"stale", EntryKind::File}};
  ASSERT_TRUE(SystemFileSystem().ListFolder(tree.Root(), entries));
  const auto kinds = KindsByName(entries);
  EXPECT_EQ(entries.size(), 10u);  // "stale" is gone, no duplicates
  const std::map<std::string, EntryKind> expected{{"plain.txt", EntryKind::File},
                                                  {".hidden", EntryKind::File},
                                                  {"\xFF\xFE-not-utf8", EntryKind::File},
                                                  {"sub", EntryKind::Folder},
                                                  {".hidden-folder", EntryKind::Folder},
                                                  {"link-to-file", EntryKind::Link},
                                                  {"link-to-folder", EntryKind::Link},
                                                  {"dangling", EntryKind::Link},
                                                  {"pipe", EntryKind::Other},
                                                  {"sock", EntryKind::Other}};
  // File systems that do not report entry types give Unknown, never a wrong kind.
  for (const auto& [name, kind] : expected) {
    ASSERT_EQ(kinds.count(name), 1u) << name;
    const EntryKind got = kinds.at(name);
    EXPECT_TRUE(got == kind || got == EntryKind::Unknown) << name;
  }
}

TEST(ListFolder, EmptyFolderMissingFolderAndFile) {
  TempTree tree;
  const std::string empty = tree.MakeFolder("empty");
  const std::string file = tree.Write("file", "data");
  std::vector<DirEntry> entries{{"stale", EntryKind::File}};
  EXPECT_TRUE(SystemFileSystem().ListFolder(empty, entries));
  EXPECT_TRUE(entries.empty());

  entries = {{"stale", EntryKind::File}};
  EXPECT_FALSE(SystemFileSystem().ListFolder(tree.Path("missing"), entries));
  EXPECT_TRUE(entries.empty());
  EXPECT_FALSE(SystemFileSystem().ListFolder(file, entries));
  EXPECT_TRUE(entries.empty());
}

TEST(ListFolder, FolderWithTrailingSeparatorAndManyEntries) {
  TempTree tree;
  for (int i = 0; i < 1500; ++i) tree.Write("big/f" + std::to_string(i), "");
  std::vector<DirEntry> entries;
  ASSERT_TRUE(SystemFileSystem().ListFolder(tree.Path("big/"), entries));
  ASSERT_EQ(entries.size(), 1500u);
  std::vector<std::string> names;
  for (const auto& entry : entries) names.push_back(entry.name);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(std::unique(names.begin(), names.end()), names.end());
}

TEST(ListFolder, ClosesTheFolderBeforeReturning) {
  TempTree tree;
  tree.Write("a/one", "1");
  const std::size_t before = OpenDescriptorCount();
  std::vector<DirEntry> entries;
  for (int i = 0; i < 50; ++i) {
    ASSERT_TRUE(SystemFileSystem().ListFolder(tree.Path("a"), entries));
    ASSERT_FALSE(SystemFileSystem().ListFolder(tree.Path("none"), entries));
  }
  EXPECT_EQ(OpenDescriptorCount(), before);
}

TEST(Examine, FollowsLinksOnlyWhenAsked) {
  TempTree tree;
  const std::string target = tree.Write("target.bin", std::string(1234, 'q'));
  const std::string link = tree.Symlink("link", target);
  const std::string dangling = tree.Symlink("dangling", tree.Path("gone"));
  auto& fs = SystemFileSystem();

  const auto viaLink = fs.Examine(link, true);
  const auto ofTarget = fs.Examine(target, false);
  const auto linkItself = fs.Examine(link, false);
  ASSERT_TRUE(viaLink && ofTarget && linkItself);
  EXPECT_EQ(viaLink->kind, EntryKind::File);
  EXPECT_EQ(viaLink->size, 1234u);
  EXPECT_EQ(*viaLink, *ofTarget);
  EXPECT_EQ(linkItself->kind, EntryKind::Link);
  EXPECT_EQ(linkItself->size, target.size());  // a link's size is the length of its text
  EXPECT_NE(linkItself->id, ofTarget->id);

  EXPECT_TRUE(fs.Examine(dangling, false).has_value());
  EXPECT_FALSE(fs.Examine(dangling, true).has_value());
  EXPECT_FALSE(fs.Examine(tree.Path("gone"), false).has_value());
}

TEST(Examine, KindsSizesTimesAndIdentity) {
  TempTree tree;
  const std::string file = tree.Write("f", "hello");
  const std::string hard = tree.HardLink("hard", "f");
  const std::string other = tree.Write("g", "hello");
  const std::string folder = tree.MakeFolder("d");
  ASSERT_EQ(::mkfifo(tree.Path("p").c_str(), 0600), 0);

  const timespec times[2] = {{1'000'000'000, 123'456'789}, {1'500'000'000, 987'654'321}};
  ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);

  auto& fs = SystemFileSystem();
  const auto facts = fs.Examine(file, false);
  ASSERT_TRUE(facts);
  EXPECT_EQ(facts->kind, EntryKind::File);
  EXPECT_EQ(facts->size, 5u);
  EXPECT_EQ(facts->mtimeNs, 1'500'000'000'987'654'321LL);
  EXPECT_GT(facts->ctimeNs, 0);

  EXPECT_EQ(fs.Examine(hard, false)->id, facts->id);
  EXPECT_NE(fs.Examine(other, false)->id, facts->id);
  EXPECT_EQ(fs.Examine(folder, false)->kind, EntryKind::Folder);
  EXPECT_EQ(fs.Examine(tree.Path("p"), false)->kind, EntryKind::Other);
}

TEST(OpenRead, ReadsAFileAndClosesOnExec) {
  TempTree tree;
  const std::string path = tree.WriteSized("data", 10000, 7);
  const std::string expected = testing::ReadWholeFile(path);
  FileHandle file = SystemFileSystem().OpenRead(path);
  ASSERT_TRUE(file.IsOpen());
  EXPECT_NE(::fcntl(file.Fd(), F_GETFD) & FD_CLOEXEC, 0);
  file.AdviseSequential();

  std::string head(100, '\0');
  ASSERT_EQ(file.ReadFull(head.data(), head.size()), 100);
  EXPECT_EQ(head, expected.substr(0, 100));
  std::string rest(20000, '\0');
  ASSERT_EQ(file.ReadFull(rest.data(), rest.size()), 9900);
  EXPECT_EQ(rest.substr(0, 9900), expected.substr(100));
  EXPECT_EQ(file.ReadFull(rest.data(), rest.size()), 0);

  const auto facts = file.Facts();
  ASSERT_TRUE(facts);
  EXPECT_EQ(facts->size, 10000u);
  EXPECT_EQ(facts->id, SystemFileSystem().Examine(path, false)->id);
}

TEST(OpenRead, MissingFileAndUnreadableFolder) {
  TempTree tree;
  EXPECT_FALSE(SystemFileSystem().OpenRead(tree.Path("missing")).IsOpen());
  EXPECT_FALSE(SystemFileSystem().OpenRead("").IsOpen());

  // A folder's handle cannot be read: the read error comes back as -1.
  const FileHandle folder(::open(tree.Root().c_str(), O_RDONLY | O_CLOEXEC));
  ASSERT_TRUE(folder.IsOpen());
  char byte = 0;
  EXPECT_EQ(folder.ReadFull(&byte, 1), -1);
}

// Only a regular file is opened, and never through a link in the last
// component; nothing else makes the open wait (a FIFO would, for a writer).
TEST(OpenRead, RefusesAnythingButARegularFileWithoutWaiting) {
  TempTree tree;
  const std::string file = tree.Write("file", "data");
  const std::string fifo = tree.Path("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string heldFifo = tree.Path("held-fifo");
  ASSERT_EQ(::mkfifo(heldFifo.c_str(), 0600), 0);
  const int writer = ::open(heldFifo.c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_GE(writer, 0);
  const std::string socketPath = tree.Path("socket");
  const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, socketPath.c_str(), sizeof(address.sun_path) - 1);
  ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
  const std::vector<std::string> refused = {tree.MakeFolder("folder"),
                                            fifo,
                                            heldFifo,
                                            socketPath,
                                            tree.Symlink("link", file),
                                            tree.Symlink("dangling", tree.Path("gone")),
                                            "/dev/null"};

  PosixFileSystem fs;
  const FileHandle folder = fs.OpenFolder(tree.Root());
  const std::size_t descriptors = OpenDescriptorCount();
  std::vector<std::string> opened;
  const bool ended = testing::EndsWithin(
      std::chrono::seconds(10),
      [&] {
        for (const auto& path : refused) {
          const std::string name = path.substr(path.rfind('/') + 1);
          if (fs.OpenRead(path).IsOpen() || fs.OpenReadAt(folder, name, path).IsOpen()) opened.push_back(path);
        }
      },
      [&] { testing::OpenWriters({fifo}); });
  EXPECT_TRUE(ended) << "an open waited";
  EXPECT_EQ(opened, std::vector<std::string>{});
  EXPECT_EQ(OpenDescriptorCount(), descriptors);
  ::close(writer);
  ::close(listener);

  // A regular file opens as before, with the facts of the open file.
  const FileHandle regular = fs.OpenRead(file);
  ASSERT_TRUE(regular.IsOpen());
  EXPECT_EQ(regular.OpenedFacts(), regular.Facts());
  char bytes[8];
  EXPECT_EQ(regular.ReadFull(bytes, sizeof bytes), 4);
}

TEST(FileHandle, ClosedHandleFailsEverything) {
  const FileHandle none;
  char byte = 0;
  EXPECT_FALSE(none.IsOpen());
  EXPECT_EQ(none.ReadFull(&byte, 1), -1);
  EXPECT_FALSE(none.Facts().has_value());
}

TEST(FileHandle, MovingHandsOverTheDescriptorAndClosesOnce) {
  TempTree tree;
  const std::string a = tree.Write("a", "A");
  const std::string b = tree.Write("b", "B");
  FileHandle first = SystemFileSystem().OpenRead(a);
  const int fdA = first.Fd();
  FileHandle moved(std::move(first));
  EXPECT_FALSE(first.IsOpen());  // NOLINT(bugprone-use-after-move)
  EXPECT_EQ(moved.Fd(), fdA);

  FileHandle second = SystemFileSystem().OpenRead(b);
  const int fdB = second.Fd();
  moved = std::move(second);
  EXPECT_EQ(moved.Fd(), fdB);
  EXPECT_EQ(::fcntl(fdA, F_GETFD), -1);  // the descriptor it held before is closed
  char byte = 0;
  EXPECT_EQ(moved.ReadFull(&byte, 1), 1);
  EXPECT_EQ(byte, 'B');

  { const FileHandle last(std::move(moved)); }
  EXPECT_EQ(::fcntl(fdB, F_GETFD), -1);
}

// A pipe hands out at most what its buffer holds, so a read larger than that
// is served in several pieces that ReadFull must join. Its reading end does not
// wait, as files are opened: a read that finds the pipe empty waits after all.
TEST(FileHandle, ReadFullJoinsShortReads) {
  int ends[2];
  ASSERT_EQ(::pipe2(ends, O_CLOEXEC | O_NONBLOCK), 0);
  ASSERT_EQ(::fcntl(ends[1], F_SETFL, 0), 0);
  std::string sent(256 * 1024, '\0');
  for (std::size_t i = 0; i < sent.size(); ++i) sent[i] = static_cast<char>(i * 31 + i / 977);
  std::thread writer([&] {
    std::size_t done = 0;
    while (done < sent.size()) {
      const ssize_t wrote = ::write(ends[1], sent.data() + done, std::min<std::size_t>(5000, sent.size() - done));
      if (wrote <= 0) break;
      done += static_cast<std::size_t>(wrote);
    }
    ::close(ends[1]);
  });
  const FileHandle reader(ends[0]);
  std::string got(sent.size() + 10, '\0');
  const long count = reader.ReadFull(got.data(), got.size());
  writer.join();
  ASSERT_EQ(count, static_cast<long>(sent.size()));
  got.resize(sent.size());
  EXPECT_EQ(got, sent);
}

TEST(ExistsAndUnlink, RemoveFilesAndLinksButNotTheirTargets) {
  TempTree tree;
  const std::string file = tree.Write("file", "x");
  const std::string link = tree.Symlink("link", file);
  const std::string dangling = tree.Symlink("dangling", tree.Path("gone"));
  const std::string folder = tree.MakeFolder("folder");
  auto& fs = SystemFileSystem();

  EXPECT_TRUE(fs.Exists(file));
  EXPECT_TRUE(fs.Exists(folder));
  EXPECT_FALSE(fs.Exists(dangling));  // access follows the link
  EXPECT_FALSE(fs.Exists(tree.Path("gone")));

  EXPECT_TRUE(fs.Unlink(link));
  EXPECT_TRUE(fs.Exists(file));
  EXPECT_TRUE(fs.Unlink(dangling));
  EXPECT_FALSE(fs.Examine(dangling, false).has_value());
  EXPECT_FALSE(fs.Unlink(folder));
  EXPECT_TRUE(fs.Exists(folder));
  EXPECT_TRUE(fs.Unlink(file));
  EXPECT_FALSE(fs.Exists(file));
  EXPECT_FALSE(fs.Unlink(file));
}

TEST(ExistsAndUnlink, NamesThatAreNotUtf8) {
  TempTree tree;
  const std::string odd = tree.Write("\x82\xA0\x5C\xFF.txt", "cp932 bytes");
  EXPECT_TRUE(SystemFileSystem().Exists(odd));
  EXPECT_EQ(SystemFileSystem().Examine(odd, false)->size, 11u);
  EXPECT_TRUE(SystemFileSystem().Unlink(odd));
  EXPECT_FALSE(SystemFileSystem().Exists(odd));
}

}  // namespace
}  // namespace kestrilo
