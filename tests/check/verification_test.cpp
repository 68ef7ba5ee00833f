#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "check_fixture.h"
#include "support/bounded_run.h"

namespace kestrilo::testing {
namespace {

class CheckVerification : public ::testing::Test, public CheckFixture {
 protected:
  std::string Count(int groups, int rows) const {
    return std::to_string(groups) + "/" + std::to_string(rows) + "/" + std::to_string(table.GetFileCount());
  }
  // Group cells of the data rows, top to bottom, keyed by file name.
  std::map<std::string, std::string> GroupsByName() const {
    std::map<std::string, std::string> groups;
    for (int row = 1; row < grid.RowCount() - 1; ++row) groups[grid.Cell(1, row)] = grid.Cell(0, row);
    return groups;
  }
};

TEST_F(CheckVerification, TwoIdenticalFilesFormGroupOne) {
  tree.Write("a/x", "same");
  tree.Write("b/y", "same");
  engine.GetFiles(tree.Root());
  ASSERT_EQ(Check(), 2);
  EXPECT_EQ(GroupsByName(), (std::map<std::string, std::string>{{"x", "1"}, {"y", "1"}}));
  EXPECT_EQ(status.Text(0), "1/2/2");
  EXPECT_EQ(status.Text(1), "1 種類の同一ファイルが見つかりました");
}

TEST_F(CheckVerification, FilesDifferingAfterTheDigestedBytesAreNoGroup) {
  std::string content(5000, 'k');
  tree.Write("a", content);
  content.back() = 'j';
  tree.Write("b", content);
  engine.GetFiles(tree.Root());
  ASSERT_EQ(Check(), 2);
  EXPECT_EQ(GroupsByName(), (std::map<std::string, std::string>{{"a", ""}, {"b", ""}}));
  EXPECT_EQ(status.Text(0), "0/2/2");
  EXPECT_EQ(status.Text(1), "重複ファイルは見つかりませんでした");
}

// Files of one size and head: the walk read those small enough whole, and
// the verification opens only those whose rests another file shares.
struct RestCase {
  std::size_t size;
  std::vector<char> lastBytes;  // one file each, differing in its last byte
  std::map<std::string, std::string> groups;
  std::size_t opened;
};

class CheckVerificationByRest : public CheckVerification, public ::testing::WithParamInterface<RestCase> {};

TEST_P(CheckVerificationByRest, OpensOnlyFilesWhoseRestsAreShared) {
  const RestCase& c = GetParam();
  for (std::size_t i = 0; i < c.lastBytes.size(); ++i) {
    std::string content(c.size, 'h');
    content.back() = c.lastBytes[i];
    tree.Write(std::string(1, static_cast<char>('a' + i)), content);
  }
  engine.GetFiles(tree.Root());
  const std::size_t walked = fs.Opens();
  ASSERT_EQ(Check(), static_cast<int>(c.lastBytes.size()));
  EXPECT_EQ(GroupsByName(), c.groups);
  EXPECT_EQ(fs.Opens() - walked, c.opened);
}

INSTANTIATE_TEST_SUITE_P(
    Sets, CheckVerificationByRest,
    ::testing::Values(RestCase{3000, {'x', 'y', 'x', 'z'}, {{"a", "1"}, {"b", ""}, {"c", "1"}, {"d", ""}}, 2},
                      RestCase{3000, {'x', 'y', 'z'}, {{"a", ""}, {"b", ""}, {"c", ""}}, 0},
                      RestCase{kSmallFileBytes, {'x', 'y', 'y'}, {{"a", ""}, {"b", "1"}, {"c", "1"}}, 2},
                      RestCase{kSmallFileBytes + 1, {'x', 'y', 'z'}, {{"a", ""}, {"b", ""}, {"c", ""}}, 3}));

TEST_F(CheckVerification, InterleavedGroupsOfOneSizeAreNumberedByFirstRow) {
  // Same size and first bytes for all four, two contents: rows A, B, A2, B2.
  std::string a(3000, 'q'), b(3000, 'q');
  b[2500] = 'r';
  tree.Write("1/A", a);
  tree.Write("2/B", b);
  tree.Write("3/A2", a);
  tree.Write("4/B2", b);
  engine.GetFiles(tree.Root());
  ASSERT_EQ(Check(), 4);
  EXPECT_EQ(GroupsByName(), (std::map<std::string, std::string>{{"A", "1"}, {"A2", "1"}, {"B", "2"}, {"B2", "2"}}));
  const auto counts = status.HistoryOf(0);
  ASSERT_GE(counts.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(counts.end() - 3, counts.end()),
            (std::vector<std::string>{"1/4/4", "2/4/4", "2/4/4"}));
}

TEST_F(CheckVerification, AnAnchorWithoutPartnerUsesUpNoNumber) {
  std::string odd(3000, 'z'), pair(3000, 'z');
  odd[2999] = 'o';
  tree.Write("1/odd", odd);
  tree.Write("2/p1", pair);
  tree.Write("3/p2", pair);
  tree.Write("4/three1", "3");
  tree.Write("5/three2", "3");
  tree.Write("6/three3", "3");
  engine.GetFiles(tree.Root());
  ASSERT_EQ(Check(), 6);
  const auto groups = GroupsByName();
  EXPECT_EQ(groups.at("odd"), "");
  EXPECT_EQ(groups.at("p1"), groups.at("p2"));
  EXPECT_EQ(groups.at("three1"), groups.at("three3"));
  EXPECT_EQ(groups.at("three2"), groups.at("three3"));
  std::set<std::string> numbers{groups.at("p1"), groups.at("three1")};
  EXPECT_EQ(numbers, (std::set<std::string>{"1", "2"}));
  EXPECT_EQ(status.Text(1), "2 種類の同一ファイルが見つかりました");
}

TEST_F(CheckVerification, AFileGoneAfterExtractionJoinsNoGroup) {
  tree.Write("a", "dup");
  tree.Write("b", "dup");
  tree.Write("c", "dup");
  engine.GetFiles(tree.Root());
  ASSERT_EQ(engine.TakeOutCheckFiles(), 3);
  tree.Remove("b");
  engine.CheckFiles();
  const auto groups = GroupsByName();
  EXPECT_EQ(groups.at("a"), "1");
  EXPECT_EQ(groups.at("c"), "1");
  EXPECT_EQ(groups.at("b"), "");
}

TEST_F(CheckVerification, AnUnreadableFileMatchesNothingButOthersStillPair) {
  tree.Write("a", "dup");
  const std::string locked = tree.Write("b", "dup");
  tree.Write("c", "dup");
  engine.GetFiles(tree.Root());
  ASSERT_EQ(engine.TakeOutCheckFiles(), 3);
  fs.FailOpen(locked);
  engine.CheckFiles();
  const auto groups = GroupsByName();
  EXPECT_EQ(groups.at("b"), "");
  EXPECT_EQ(groups.at("a"), "1");
  EXPECT_EQ(groups.at("c"), "1");
}

TEST_F(CheckVerification, TwoPathsOfOneFileAreNeverIdentical) {
  tree.Write("file", "only copy");
  tree.HardLink("twin", "file");
  engine.GetFiles(tree.Root());
  ASSERT_EQ(Check(), 2);
  EXPECT_EQ(GroupsByName(), (std::map<std::string, std::string>{{"file", ""}, {"twin", ""}}));
  EXPECT_EQ(status.Text(1), "重複ファイルは見つかりませんでした");
}

TEST_F(CheckVerification, AHardLinkBesideARealCopyStaysOutOfTheCopysGroup) {
  tree.Write("1/file", "content");
  tree.HardLink("2/twin", "1/file");
  tree.Write("3/copy", "content");
  settings.sortFlag = false;
  engine.GetFiles(tree.Path("1"));
  engine.GetFiles(tree.Path("2"));
  engine.GetFiles(tree.Path("3"));
  ASSERT_EQ(Check(), 3);
  EXPECT_EQ(GroupsByName(), (std::map<std::string, std::string>{{"file", "1"}, {"twin", ""}, {"copy", "1"}}));
}

TEST_F(CheckVerification, AChangedFileInTwoRowsIsNotItsOwnDuplicate) {
  // f stands under its old signature (beside h) and under its new one (beside g).
  const std::string before(3000, 'a');
  std::string after = before;
  after[100] = 'b';
  tree.Write("f", before);
  tree.Write("h", before);
  engine.GetFiles(tree.Root());
  tree.Write("f", after);
  tree.Write("g", after);
  engine.GetFiles(tree.Root());
  ASSERT_EQ(Check(), 4);
  std::multiset<std::string> numberedNames;
  for (int row = 1; row <= 4; ++row) {
    if (!grid.Cell(0, row).empty()) numberedNames.insert(grid.Cell(1, row) + "=" + grid.Cell(0, row));
  }
  EXPECT_EQ(numberedNames, (std::multiset<std::string>{"f=1", "g=1"}));
}

TEST_F(CheckVerification, ManyFilesOfOneSignatureAreSplitByContent) {
  // More files than are read side by side: the whole-content hash path.
  std::string base(5000, 'm');
  for (int i = 0; i < 150; ++i) {
    std::string content = base;
    if (i % 3 != 0) content[4000] = static_cast<char>('0' + i % 3);
    tree.Write("many/" + std::to_string(1000 + i), content);
  }
  engine.GetFiles(tree.Root());
  ASSERT_EQ(Check(), 150);
  std::map<std::string, std::set<int>> members;
  for (int row = 1; row <= 150; ++row) members[grid.Cell(0, row)].insert(std::stoi(grid.Cell(1, row)) % 3);
  ASSERT_EQ(members.size(), 3u);
  for (const auto& [number, kinds] : members) EXPECT_EQ(kinds.size(), 1u) << number;
  EXPECT_EQ(status.Text(0), "3/150/150");
}

TEST_F(CheckVerification, AStopRequestEndsThePassAndKeepsItsNumbers) {
  tree.Write("a", "1");
  tree.Write("b", "1");
  engine.GetFiles(tree.Root());
  ASSERT_EQ(engine.TakeOutCheckFiles(), 2);
  status.SetPanelText(0, "before");
  stop.Set();
  engine.CheckFiles();
  EXPECT_EQ(status.Text(1), "中止しました ");
  EXPECT_EQ(status.Text(0), "before");
  EXPECT_EQ(grid.Cell(0, 1), "");
}

TEST_F(CheckVerification, RemembersWhatItSawOfEachSettledFile) {
  const std::string a = tree.Write("a", "dup");
  tree.Write("b", "dup");
  // Timestamps only vouch for files that had not changed for a while.
  std::this_thread::sleep_for(std::chrono::milliseconds(2100));
  const std::string fresh = tree.Write("c", "dup");
  engine.GetFiles(tree.Root());
  ASSERT_EQ(Check(), 3);
  std::map<std::string, int> rowOf;
  for (int row = 1; row <= 3; ++row) rowOf[grid.Cell(1, row)] = row;
  const auto facts = results.VerifiedFacts(rowOf.at("a"));
  ASSERT_TRUE(facts.has_value());
  EXPECT_EQ(*facts, *fs.Examine(a, false));
  EXPECT_TRUE(results.VerifiedFacts(rowOf.at("b")).has_value());
  EXPECT_FALSE(results.VerifiedFacts(rowOf.at("c")).has_value());
  EXPECT_FALSE(results.VerifiedFacts(4).has_value());
  // A new extraction knows nothing of the files yet.
  ASSERT_EQ(engine.TakeOutCheckFiles(), 3);
  EXPECT_FALSE(results.VerifiedFacts(rowOf.at("a")).has_value());
}

// FIFOs and symbolic links are POSIX's.
#ifndef _WIN32
enum class Replacement { Fifo, FifoWithWriter, Folder, LinkToACopy };

class CheckVerificationReplaced : public CheckVerification,
                                  public ::testing::WithParamInterface<std::tuple<Replacement, unsigned>> {};

// Registered files that are no longer regular files by the time of the check
// are never read (a FIFO would block, a folder reads as nothing, a link leads
// elsewhere) and match nothing; the files that still are pair as before.
TEST_P(CheckVerificationReplaced, MatchNothingAndNeverHang) {
  const auto [replacement, readers] = GetParam();
  engine.SetReaderThreads(readers);
  const std::string content(3000, 'r');
  for (const char* name : {"a", "b", "c", "d"}) tree.Write(std::string("walked/") + name, content);
  const std::string copy = tree.Write("elsewhere/copy", content);
  engine.GetFiles(tree.Path("walked"));
  ASSERT_EQ(engine.TakeOutCheckFiles(), 4);

  std::vector<std::string> fifos;
  std::vector<int> writers;
  for (const char* name : {"b", "c"}) {
    const std::string path = tree.Path(std::string("walked/") + name);
    ASSERT_EQ(::unlink(path.c_str()), 0);
    switch (replacement) {
      case Replacement::Fifo:
      case Replacement::FifoWithWriter:
        ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
        fifos.push_back(path);
        // A writer that never writes: a reader of the FIFO waits for data.
        if (replacement == Replacement::FifoWithWriter) writers.push_back(::open(path.c_str(), O_RDWR | O_CLOEXEC));
        break;
      case Replacement::Folder:
        tree.MakeFolder(std::string("walked/") + name);
        break;
      case Replacement::LinkToACopy:
        ASSERT_EQ(::symlink(copy.c_str(), path.c_str()), 0);
        break;
    }
  }
  const bool ended = EndsWithin(
      std::chrono::seconds(10), [this] { engine.CheckFiles(); },
      [&] {
        OpenWriters(fifos);
        for (int& writer : writers) {
          if (writer >= 0) ::close(writer);
          writer = -1;
        }
      });
  for (int writer : writers) {
    if (writer >= 0) ::close(writer);
  }
  EXPECT_TRUE(ended) << "the check hung";
  EXPECT_EQ(GroupsByName(), (std::map<std::string, std::string>{{"a", "1"}, {"b", ""}, {"c", ""}, {"d", "1"}}));
  EXPECT_EQ(status.Text(1), "1 種類の同一ファイルが見つかりました");
}

INSTANTIATE_TEST_SUITE_P(, CheckVerificationReplaced,
                         ::testing::Combine(::testing::Values(Replacement::Fifo, Replacement::FifoWithWriter,
                                                              Replacement::Folder, Replacement::LinkToACopy),
                                            ::testing::Values(1u, 4u)));
#endif

// The real file system, except that once armed, the n-th file opened makes
// another thread set the stop request, and that open waits until it is set.
class StopAtOpen final : public FileSystem {
 public:
  explicit StopAtOpen(StopRequest& stop)
      : stop_(stop), stopper_([this] {
          std::unique_lock lock(mutex_);
          changed_.wait(lock, [this] { return requested_ || quitting_; });
          if (requested_) stop_.Set();
          lock.unlock();
          changed_.notify_all();
        }) {}
  ~StopAtOpen() override {
    {
      std::lock_guard lock(mutex_);
      quitting_ = true;
    }
    changed_.notify_all();
    stopper_.join();
  }
  void Arm(int opens) { countdown_.store(opens); }

  FileHandle OpenRead(const std::string& path) override {
    if (countdown_.fetch_sub(1) == 1) {
      std::unique_lock lock(mutex_);
      requested_ = true;
      changed_.notify_all();
      changed_.wait(lock, [this] { return stop_.IsSet(); });
    }
    return inner_.OpenRead(path);
  }
  bool ListFolder(const std::string& folder, std::vector<DirEntry>& out) override {
    return inner_.ListFolder(folder, out);
  }
  std::optional<FileFacts> Examine(const std::string& path, bool followLink) override {
    return inner_.Examine(path, followLink);
  }
  bool Exists(const std::string& path) override { return inner_.Exists(path); }
  bool Unlink(const std::string& path) override { return inner_.Unlink(path); }
  std::optional<MountInfo> MountOf(const std::string& path) override { return inner_.MountOf(path); }

 private:
  FileSystem& inner_ = SystemFileSystem();
  StopRequest& stop_;
  std::atomic<int> countdown_{0};
  std::mutex mutex_;
  std::condition_variable changed_;
  bool requested_ = false;
  bool quitting_ = false;
  std::thread stopper_;
};

class CheckVerificationStop : public ::testing::TestWithParam<std::tuple<int, unsigned>> {};

// The stop is looked at before each row, never while one anchor's group is
// found: a stop that arrives while the files are read (here at the n-th open:
// while they are opened and hashed, at the first open of their confirmation,
// while a first and while a second slice of them is read side by side) leaves
// the anchor's whole group numbered. The files are larger than one hashing
// block, so that each is read again for its confirmation.
TEST_P(CheckVerificationStop, ArrivingWhileAGroupIsReadCompletesTheGroup) {
  const auto [opens, readers] = GetParam();
  TempTree tree;
  constexpr int kFiles = 100;
  for (int i = 0; i < kFiles; ++i) tree.WriteSized("same/" + std::to_string(1000 + i), 300 * 1024, 5);
  // The file system sets the stop, so the engine is wired here around it.
  SignatureTable table;
  ResultSet results;
  const ResultCells grid(results);
  MemoryStatusPanels status;
  MemoryJobSettings settings;
  StopRequest stop;
  StopAtOpen fs(stop);
  DuplicateEngine engine(table, results, status, settings, stop, fs);
  engine.SetReaderThreads(readers);
  engine.GetFiles(tree.Root());
  ASSERT_EQ(engine.TakeOutCheckFiles(), kFiles);
  fs.Arm(opens);
  engine.CheckFiles();
  ASSERT_TRUE(stop.IsSet());
  int numbered = 0;
  for (int row = 1; row <= kFiles; ++row) numbered += grid.Cell(0, row) == "1" ? 1 : 0;
  EXPECT_EQ(numbered, kFiles);
  EXPECT_EQ(status.Text(0), "1/100/100");
  EXPECT_EQ(status.Text(1), "中止しました ");
}

INSTANTIATE_TEST_SUITE_P(, CheckVerificationStop,
                         ::testing::Combine(::testing::Values(1, 101, 150, 190), ::testing::Values(1u, 4u)));

// The same random trees give the same rows and texts on any number of readers.
TEST(CheckVerificationParallel, NumberingDoesNotDependOnReaders) {
  TempTree tree;
  for (int i = 0; i < 300; ++i) {
    std::string content(2100 + (i % 4), static_cast<char>('a' + i % 5));
    content[2090] = static_cast<char>('0' + (i * 7) % 3);
    tree.Write("d" + std::to_string(i % 9) + "/f" + std::to_string(i), content);
  }
  std::vector<std::string> results[2];
  for (int run = 0; run < 2; ++run) {
    CheckFixture fixture;
    fixture.engine.SetReaderThreads(run == 0 ? 1 : 4);
    fixture.engine.GetFiles(tree.Root());
    fixture.Check();
    results[run] = fixture.Rows();
    for (const auto& [panel, text] : fixture.status.History()) results[run].push_back(std::to_string(panel) + text);
  }
  EXPECT_EQ(results[0], results[1]);
}

}  // namespace
}  // namespace kestrilo::testing
