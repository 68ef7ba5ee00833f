#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <utility>

#include "check_fixture.h"
#include "fingerprint/file_signature.h"
#include "fingerprint/md5.h"
#include "platform/path_text.h"
#include "support/bounded_run.h"

namespace kestrilo::testing {
namespace {

class CheckWalk : public ::testing::Test, public CheckFixture {};

TEST_F(CheckWalk, RegistersEveryFileOfTheTreeUnderItsSignature) {
  const std::string a = tree.Write("a.txt", "abc");
  const std::string b = tree.Write("sub/deeper/b.bin", std::string(3000, 'x'));
  const std::string hidden = tree.Write(".hidden/c", "c");
  engine.GetFiles(tree.Root());

  auto pairs = Pairs();
  std::sort(pairs.begin(), pairs.end(), [](auto& l, auto& r) { return l.second < r.second; });
  ASSERT_EQ(pairs.size(), 3u);
  const std::map<std::string, std::string> bySignature = {{a, "900150983cd24fb0d6963f7d28e17f723"},
                                                          {b, Md5Hex(Md5Of(std::string(2048, 'x'))) + "3000"},
                                                          {hidden, Md5Hex(Md5Of("c")) + "1"}};
  for (const auto& [signature, path] : pairs) EXPECT_EQ(signature, bySignature.at(path)) << path;
  EXPECT_EQ(table.GetFileCount(), 3);
  EXPECT_EQ(status.Text(0), "3");
}

TEST_F(CheckWalk, TrailingSeparatorGivesTheSamePathsAsNone) {
  tree.Write("x/one", "1");
  engine.GetFiles(tree.Path("x"));
  engine.GetFiles(tree.Path("x") + kSeparator);
  EXPECT_EQ(Paths(), std::vector<std::string>{tree.Path("x/one")});
}

TEST_F(CheckWalk, AFileIsRegisteredOnItsOwnWhateverTheWildcard) {
  const std::string file = tree.Write("only.dat", "data");
  settings.filterText = "*.txt";
  engine.GetFiles(file);
  EXPECT_EQ(Paths(), std::vector<std::string>{file});
}

TEST_F(CheckWalk, AMissingPathYieldsNothingAndNoMessage) {
  engine.GetFiles(tree.Path("no/such/folder"));
  EXPECT_EQ(table.GetFileCount(), 0);
  EXPECT_TRUE(status.History().empty());
}

TEST_F(CheckWalk, FilteredWalkTakesMatchingFilesFirstAndDescendsEveryFolder) {
  tree.Write("z.txt", "z");
  tree.Write("a.txt/inner.txt", "inner");  // a folder whose name matches
  tree.Write("a.txt/inner.dat", "skip");
  tree.Write("b.TXT", "upper");
  tree.Write("c.dat", "no");
  settings.filterText = "*.txt";
  engine.GetFiles(tree.Root());
  auto paths = Paths();
  std::sort(paths.begin(), paths.end());
  EXPECT_EQ(paths, (std::vector<std::string>{tree.Path("a.txt/inner.txt"), tree.Path("b.TXT"), tree.Path("z.txt")}));
  // Messages and counts come in walk order: both files of the top folder before the sub-folder's.
  const auto counts = status.HistoryOf(0);
  EXPECT_EQ(counts, (std::vector<std::string>{"1", "2", "3"}));
}

TEST_F(CheckWalk, WildcardWithASeparatorNamesASubFolder) {
  tree.Write("sub/a.txt", "a");
  tree.Write("sub/b.dat", "b");
  tree.Write("a.txt", "top");
  settings.filterText = std::string("sub") + kSeparator + "*.txt";
  engine.GetFiles(tree.Root());
  EXPECT_EQ(Paths(), std::vector<std::string>{tree.Path("sub/a.txt")});
}

TEST_F(CheckWalk, EmptyWildcardAndStarDotStarTakeEveryName) {
  tree.Write("noext", "1");
  tree.Write("d/with.ext", "2");
  for (const char* wildcard : {"", "*.*", "*"}) {
    table.ClearHash();
    settings.filterText = wildcard;
    engine.GetFiles(tree.Root());
    EXPECT_EQ(table.GetFileCount(), 2) << "wildcard '" << wildcard << "'";
  }
}

TEST_F(CheckWalk, SkippedFilesSayWhyInWalkOrder) {
  const std::string empty = tree.Write("1-empty", "");
  const std::string locked = tree.Write("2-locked", "secret");
  fs.FailOpen(locked);
  engine.GetFiles(empty);
  engine.GetFiles(locked);
  EXPECT_EQ(status.HistoryOf(1), (std::vector<std::string>{"[" + empty + "] サイズゼロのファイルは対象外",
                                                           "[" + locked + "] MD5 取得エラー"}));
  EXPECT_EQ(table.GetFileCount(), 0);
  EXPECT_TRUE(status.HistoryOf(0).empty());
}

TEST_F(CheckWalk, WalkingTheSameFolderTwiceCountsItsFilesOnce) {
  tree.Write("a", "1");
  tree.Write("b", "2");
  engine.GetFiles(tree.Root());
  engine.GetFiles(tree.Root());
  EXPECT_EQ(table.GetFileCount(), 2);
  EXPECT_EQ(status.HistoryOf(0), (std::vector<std::string>{"1", "2", "2", "2"}));
}

TEST_F(CheckWalk, AChangedFileIsRegisteredAgainBesideItsOldSignature) {
  const std::string file = tree.Write("f", "before");
  engine.GetFiles(tree.Root());
  tree.Write("f", "after!");
  engine.GetFiles(tree.Root());
  EXPECT_EQ(table.GetFileCount(), 2);
  EXPECT_EQ(Paths(), (std::vector<std::string>{file, file}));
}

// FIFOs and the links of a POSIX file system.
#ifndef _WIN32
TEST_F(CheckWalk, LinksAndSpecialFilesInsideTheTreeAreLeftAlone) {
  const std::string real = tree.Write("real/file", "content");
  tree.Symlink("link-to-file", real);
  tree.Symlink("link-to-folder", tree.Path("real"));
  tree.Symlink("loop", tree.Root());
  ASSERT_EQ(::mkfifo(tree.Path("fifo").c_str(), 0600), 0);
  engine.GetFiles(tree.Root());
  EXPECT_EQ(Paths(), std::vector<std::string>{real});
}

TEST_F(CheckWalk, AChosenLinkIsFollowed) {
  tree.Write("real/file", "content");
  const std::string link = tree.Symlink("chosen", tree.Path("real"));
  engine.GetFiles(link);
  EXPECT_EQ(Paths(), std::vector<std::string>{link + "/file"});
}

TEST_F(CheckWalk, AChosenLinkToAFileRegistersTheFileItLeadsTo) {
  const std::string real = tree.Write("real/file", "content");
  const std::string link = tree.Symlink("chosen", real);
  engine.GetFiles(link);
  EXPECT_EQ(Paths(), std::vector<std::string>{real});
}

// The real file system, except that listing one folder swaps one of its files
// for something else right after the listing, as a user's changing tree may.
class SwapAfterListing final : public FileSystem {
 public:
  SwapAfterListing(std::string folder, std::function<void()> swap)
      : folder_(std::move(folder)), swap_(std::move(swap)) {}

  bool ListFolder(const std::string& folder, std::vector<DirEntry>& out) override {
    const bool listed = inner_.ListFolder(folder, out);
    if (folder == folder_ && swap_) std::exchange(swap_, nullptr)();
    return listed;
  }
  std::optional<FileFacts> Examine(const std::string& path, bool followLink) override {
    return inner_.Examine(path, followLink);
  }
  FileHandle OpenRead(const std::string& path) override { return inner_.OpenRead(path); }
  FileHandle OpenFolder(const std::string& folder) override { return inner_.OpenFolder(folder); }
  FileHandle OpenReadAt(const FileHandle& folder, const std::string& name, const std::string& path) override {
    return inner_.OpenReadAt(folder, name, path);
  }
  void ReadHeads(std::span<const HeadRequest> requests, std::span<FileHead> heads) override {
    inner_.ReadHeads(requests, heads);
  }
  bool Exists(const std::string& path) override { return inner_.Exists(path); }
  bool Unlink(const std::string& path) override { return inner_.Unlink(path); }
  std::optional<MountInfo> MountOf(const std::string& path) override { return inner_.MountOf(path); }

 private:
  FileSystem& inner_ = SystemFileSystem();
  std::string folder_;
  std::function<void()> swap_;
};

enum class SwappedIn { LinkToAFile, Fifo, FifoWithWriter, Folder };

class CheckWalkSwapped : public ::testing::TestWithParam<std::tuple<SwappedIn, unsigned>> {};

// A file listed as a file but something else when it is opened is neither
// read through a link nor waited for; it is not registered.
TEST_P(CheckWalkSwapped, FileIsNeverReadThroughALinkNorWaitedFor) {
  const auto [swappedIn, readers] = GetParam();
  TempTree tree;
  const std::string kept = tree.Write("walked/a", "kept");
  const std::string swapped = tree.Write("walked/b", "swapped");
  const std::string target = tree.Write("elsewhere/target", "target");
  int writer = -1;
  SwapAfterListing fs(tree.Path("walked/"), [&] {
    ::unlink(swapped.c_str());
    switch (swappedIn) {
      case SwappedIn::LinkToAFile:
        ::symlink(target.c_str(), swapped.c_str());
        break;
      case SwappedIn::Fifo:
      case SwappedIn::FifoWithWriter:
        ::mkfifo(swapped.c_str(), 0600);
        if (swappedIn == SwappedIn::FifoWithWriter) writer = ::open(swapped.c_str(), O_RDWR | O_CLOEXEC);
        break;
      case SwappedIn::Folder:
        ::mkdir(swapped.c_str(), 0700);
        break;
    }
  });
  MemoryStatusPanels status;
  MemoryJobSettings settings;
  CheckSession session(status, settings, fs);
  session.SetReaderThreads(readers);
  const bool ended = EndsWithin(
      std::chrono::seconds(10), [&] { session.GetFiles(tree.Path("walked")); },
      [&] {
        OpenWriters({swapped});
        if (writer >= 0) ::close(writer);
        writer = -1;
      });
  if (writer >= 0) ::close(writer);
  EXPECT_TRUE(ended) << "the walk hung";
  std::vector<std::string> paths;
  std::string signature, path;
  for (int restart = 0; session.Table().NextHash(restart, signature, path) == 0; restart = 1) paths.push_back(path);
  EXPECT_EQ(paths, std::vector<std::string>{kept});
}

INSTANTIATE_TEST_SUITE_P(, CheckWalkSwapped,
                         ::testing::Combine(::testing::Values(SwappedIn::LinkToAFile, SwappedIn::Fifo,
                                                              SwappedIn::FifoWithWriter, SwappedIn::Folder),
                                            ::testing::Values(1u, 4u)));

#endif

TEST_F(CheckWalk, AnUnlistableFolderIsLeftOutAndSaysSo) {
  tree.Write("open/a", "a");
  tree.Write("closed/b", "b");
  fs.FailList(tree.Path("closed") + kSeparator);
  engine.GetFiles(tree.Root());
  EXPECT_EQ(Paths(), std::vector<std::string>{tree.Path("open/a")});
  EXPECT_EQ(status.HistoryOf(1),
            std::vector<std::string>{"[" + tree.Path("closed") + kSeparator + "] フォルダ一覧取得エラー"});
}

TEST_F(CheckWalk, AListingThatFailsPartwayKeepsWhatItRead) {
  for (const char* name : {"a", "b", "c", "d"}) tree.Write(std::string("in/") + name, name);
  std::vector<DirEntry> firstTwo;
  ASSERT_TRUE(SystemFileSystem().ListFolder(tree.Path("in") + kSeparator, firstTwo));
  firstTwo.resize(2);
  fs.FailListAfter(tree.Path("in") + kSeparator, 2);
  engine.GetFiles(tree.Path("in"));
  std::vector<std::string> expected;
  for (const auto& entry : firstTwo) expected.push_back(tree.Path("in/" + entry.name));
  const auto paths = Paths();
  EXPECT_EQ(paths.size(), 2u);
  for (const auto& path : expected) EXPECT_NE(std::find(paths.begin(), paths.end(), path), paths.end()) << path;
  EXPECT_EQ(status.HistoryOf(1).back(), "[" + tree.Path("in") + kSeparator + "] フォルダ一覧取得エラー");
}

TEST_F(CheckWalk, AWildcardsSubFolderIsSearchedBelowAnUnlistableFolder) {
  tree.Write("s1/a.txt", "a");
  tree.Write("s1/b.dat", "b");
  fs.FailList(tree.Root() + kSeparator);
  settings.filterText = std::string("s1") + kSeparator + "*.txt";
  engine.GetFiles(tree.Root());
  EXPECT_EQ(Paths(), std::vector<std::string>{tree.Path("s1/a.txt")});
}

// Windows names are UTF-16: every one of them has a UTF-8 form.
#ifndef _WIN32
TEST_F(CheckWalk, NamesThatAreNotUtf8AreKeptByteForByte) {
  const std::string name = "bad-\xff\xfe-\x80.bin";
  const std::string path = tree.Write(name, "payload");
  engine.GetFiles(tree.Root());
  EXPECT_EQ(Paths(), std::vector<std::string>{path});
}
#endif

#ifndef _WIN32
// Builds `levels` nested folders "d" below the root, one openat at a time
// (their full path may be longer than the system takes in one call), and a
// file at every 100th level.
void MakeDeepTree(const std::string& root, int levels) {
  int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  for (int level = 1; level <= levels; ++level) {
    ASSERT_EQ(::mkdirat(fd, "d", 0700), 0);
    const int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::close(fd);
    ASSERT_GE(next, 0);
    fd = next;
    if (level % 100 == 0) {
      const int file = ::openat(fd, "f", O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
      ASSERT_EQ(::write(file, "deep", 4), 4);
      ::close(file);
    }
  }
  ::close(fd);
}

TEST_F(CheckWalk, DeepTreesWalkWithoutTheCallStack) {
  const std::string root = tree.MakeFolder("deep");
  MakeDeepTree(root, 1000);
  engine.GetFiles(root);
  EXPECT_EQ(table.GetFileCount(), 10);
}

TEST_F(CheckWalk, FoldersBeyondTheSystemsPathLengthAreWalkedAndChecked) {
  const std::string root = tree.MakeFolder("deeper");
  MakeDeepTree(root, 2200);
  engine.GetFiles(root);
  // Full paths reach PATH_MAX (4096 bytes) a little before level 2050.
  EXPECT_EQ(table.GetFileCount(), 22);
  EXPECT_TRUE(status.HistoryOf(1).empty());
  std::string deepest = root;
  for (int level = 0; level < 2200; ++level) deepest += "/d";
  const auto paths = Paths();
  EXPECT_NE(std::find(paths.begin(), paths.end(), deepest + "/f"), paths.end());
  Check();
  const auto rows = Rows();
  ASSERT_EQ(rows.size(), 22u);
  for (const auto& row : rows) EXPECT_EQ(row.substr(0, 2), "1|");
  // Leave the tree removable by path: cut it where full paths still work.
  std::string cut = root;
  for (int level = 0; level < 1000; ++level) cut += "/d";
  std::filesystem::remove_all(cut);
}

#endif

TEST_F(CheckWalk, AStopRequestBeforeTheWalkRegistersNothing) {
  tree.Write("a", "1");
  stop.Set();
  engine.GetFiles(tree.Root());
  EXPECT_EQ(table.GetFileCount(), 0);
}

// Sets the stop request once the count reaches a given number, as a user
// pressing stop while the count runs.
class StoppingPanels final : public StatusPanels {
 public:
  StoppingPanels(StopRequest& stop, std::string at) : stop_(stop), at_(std::move(at)) {}
  void SetPanelText(int panel, std::string text) override {
    if (panel == 0 && text == at_) stop_.Set();
    texts.push_back(std::move(text));
  }
  std::vector<std::string> texts;

 private:
  StopRequest& stop_;
  std::string at_;
};

class CheckWalkStop : public ::testing::TestWithParam<unsigned> {};

TEST_P(CheckWalkStop, EndsBeforeTheNextFileInWalkOrderIsRegistered) {
  TempTree tree;
  for (int folder = 0; folder < 20; ++folder) {
    for (int file = 0; file < 50; ++file) {
      tree.Write("f" + std::to_string(folder) + "/n" + std::to_string(file), std::to_string(folder * 100 + file));
    }
  }
  // The panels stop the walk, so the engine is wired here around their stop
  // request.
  SignatureTable table;
  ResultSet results;
  StopRequest stop;
  StoppingPanels status(stop, "137");
  MemoryJobSettings settings;
  DuplicateEngine engine(table, results, status, settings, stop, SystemFileSystem());
  engine.SetReaderThreads(GetParam());
  engine.GetFiles(tree.Root());
  EXPECT_EQ(table.GetFileCount(), 137);
  EXPECT_EQ(status.texts.back(), "137");
}

INSTANTIATE_TEST_SUITE_P(ReaderThreads, CheckWalkStop, ::testing::Values(1u, 2u, 4u));

// The readers run ahead, but what is registered and said must be exactly what
// one thread reading file after file gives.
TEST(CheckWalkParallel, ManyReadersGiveTheOneThreadResult) {
  for (std::uint32_t seed = 1; seed <= 5; ++seed) {
    TempTree tree;
    std::mt19937 random(seed);
    for (int i = 0; i < 400; ++i) {
      const std::string folder = "d" + std::to_string(random() % 7) + "/e" + std::to_string(random() % 3);
      const std::size_t size = random() % 9 == 0 ? 0 : 1000 + (random() % 4) * 1000;
      const std::uint32_t content = static_cast<std::uint32_t>(random() % 60);
      tree.WriteSized(folder + "/f" + std::to_string(i), size, content);
    }
    std::vector<std::pair<int, std::string>> histories[2];
    std::vector<std::string> rows[2];
    for (int run = 0; run < 2; ++run) {
      MemoryStatusPanels status;
      MemoryJobSettings settings;
      CheckSession session(status, settings, SystemFileSystem());
      const ResultCells grid(session.Results());
      session.SetReaderThreads(run == 0 ? 1 : 3);
      session.GetFiles(tree.Root());
      session.RunDuplicateCheck();
      histories[run] = status.History();
      for (int row = 0; row < grid.RowCount(); ++row) {
        const GridRow cells = grid.Rows(row);
        rows[run].push_back(cells[0] + "|" + cells[1] + "|" + cells[2] + "|" + cells[3]);
      }
    }
    EXPECT_EQ(histories[0], histories[1]) << "seed " << seed;
    EXPECT_EQ(rows[0], rows[1]) << "seed " << seed;
    EXPECT_GT(rows[0].size(), 2u);
  }
}

}  // namespace
}  // namespace kestrilo::testing
