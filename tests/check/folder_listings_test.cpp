#include "check/folder_listings.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "check_fixture.h"
#include "platform/path_text.h"

namespace kestrilo::testing {
namespace {

std::vector<std::string> Names(const std::vector<DirEntry>& entries) {
  std::vector<std::string> names;
  for (const DirEntry& entry : entries) names.push_back(entry.name);
  return names;
}

// A tree of folders `width` wide and `depth` deep, each with two files.
void WriteFolders(TempTree& tree, const std::string& under, int width, int depth) {
  tree.Write(under + "/x", "x");
  tree.Write(under + "/y", "");
  if (depth == 0) return;
  for (int i = 0; i < width; ++i) WriteFolders(tree, under + "/d" + std::to_string(i), width, depth - 1);
}

// Every folder below `folder` (with its separator), depth first in listing
// order, as the walk enters them.
void FoldersInWalkOrder(const std::string& folder, std::vector<std::string>& out) {
  out.push_back(folder);
  std::vector<DirEntry> entries;
  SystemFileSystem().ListFolder(folder, entries);
  for (const auto& below : FolderListings::SubFolders(folder, entries)) FoldersInWalkOrder(below, out);
}

struct AheadCase {
  const char* name;
  unsigned threads;
  bool ahead;  // whether each folder's sub-folders are queued as the walk enters it
};

class CheckFolderListings : public ::testing::TestWithParam<AheadCase> {};

// Taken in the walk's order, the listings are those of the file system, each
// folder listed once, however far ahead they were made.
TEST_P(CheckFolderListings, GiveEachFolderAsTheFileSystemListsIt) {
  TempTree tree;
  WriteFolders(tree, "t", 3, 4);  // 121 folders
  std::vector<std::string> order;
  FoldersInWalkOrder(tree.Path("t") + kSeparator, order);
  FaultyFileSystem fs{SystemFileSystem()};
  {
    FolderListings listings(fs, true);
    listings.Deepen(GetParam().threads);
    for (const std::string& folder : order) {
      FolderListing listing = listings.Take(folder);
      std::vector<DirEntry> expected;
      ASSERT_TRUE(SystemFileSystem().ListFolder(folder, expected));
      EXPECT_TRUE(listing.complete) << folder;
      EXPECT_EQ(Names(listing.entries), Names(expected)) << folder;
      ASSERT_TRUE(listing.facts.has_value()) << folder;
      EXPECT_EQ(listing.facts->kind, EntryKind::Folder);
      EXPECT_EQ(listing.facts->id, SystemFileSystem().Examine(folder, true)->id);
      EXPECT_GT(listing.examinedAtNs, 0);
      if (GetParam().ahead) listings.Ahead(FolderListings::SubFolders(folder, listing.entries));
    }
  }
  EXPECT_EQ(fs.Listings(), order.size());
}

INSTANTIATE_TEST_SUITE_P(, CheckFolderListings,
                         ::testing::Values(AheadCase{"NoneAhead", 1, false}, AheadCase{"OneThread", 1, true},
                                           AheadCase{"EightThreads", 8, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CheckFolderListingsFaults, AFailedListingMadeAheadKeepsItsErrorAndWhatItRead) {
  TempTree tree;
  for (const char* name : {"a", "b", "c", "d"}) tree.Write(std::string("part/") + name, name);
  tree.Write("closed/e", "e");
  const std::string part = tree.Path("part") + kSeparator;
  const std::string closed = tree.Path("closed") + kSeparator;
  const std::string missing = tree.Path("missing") + kSeparator;
  FaultyFileSystem fs{SystemFileSystem()};
  fs.FailListAfter(part, 2);
  fs.FailList(closed);
  FolderListings listings(fs, false);
  listings.Deepen(4);
  listings.Ahead({part, closed, missing});
  const FolderListing cut = listings.Take(part);
  EXPECT_FALSE(cut.complete);
  EXPECT_EQ(cut.error, EIO);
  EXPECT_EQ(cut.entries.size(), 2u);
  EXPECT_FALSE(cut.facts.has_value()) << "asked for no facts";
  const FolderListing refused = listings.Take(closed);
  EXPECT_FALSE(refused.complete);
  EXPECT_EQ(refused.error, EACCES);
  EXPECT_TRUE(refused.entries.empty());
  const FolderListing absent = listings.Take(missing);
  EXPECT_FALSE(absent.complete);
  EXPECT_EQ(absent.error, ENOENT);
}

// The real file system, holding the listing of one folder until let go.
class HoldingFileSystem final : public FileSystem {
 public:
  explicit HoldingFileSystem(std::string held) : held_(std::move(held)) {}

  void WaitUntilHeld() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return holding_; });
  }
  void LetGo() {
    std::lock_guard lock(mutex_);
    let_ = true;
    changed_.notify_all();
  }
  std::set<std::string> Listed() {
    std::lock_guard lock(mutex_);
    return listed_;
  }

  bool ListFolder(const std::string& folder, std::vector<DirEntry>& out) override {
    {
      std::unique_lock lock(mutex_);
      listed_.insert(folder);
      if (folder == held_) {
        holding_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return let_; });
      }
    }
    return SystemFileSystem().ListFolder(folder, out);
  }
  std::optional<FileFacts> Examine(const std::string& path, bool followLink) override {
    return SystemFileSystem().Examine(path, followLink);
  }
  FileHandle OpenRead(const std::string& path) override { return SystemFileSystem().OpenRead(path); }
  bool Exists(const std::string& path) override { return SystemFileSystem().Exists(path); }
  bool Unlink(const std::string&) override { return false; }
  std::optional<MountInfo> MountOf(const std::string& path) override { return SystemFileSystem().MountOf(path); }

 private:
  const std::string held_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool holding_ = false;
  bool let_ = false;
  std::set<std::string> listed_;
};

// A walk that stops lets go of its listings: the queued ones are never made,
// the one under way is waited for.
TEST(CheckFolderListingsFaults, GoingAwayDropsTheQueuedListingsAndWaitsForTheRunningOne) {
  TempTree tree;
  for (int i = 0; i < 5; ++i) tree.MakeFolder("f" + std::to_string(i));
  std::vector<std::string> folders;
  for (int i = 0; i < 5; ++i) folders.push_back(tree.Path("f" + std::to_string(i)) + kSeparator);
  HoldingFileSystem fs(folders[0]);
  std::mutex gone;
  bool destroyed = false;
  {
    auto listings = std::make_unique<FolderListings>(fs, false);
    listings->Ahead(folders);
    fs.WaitUntilHeld();
    std::thread ending([&] {
      listings.reset();
      std::lock_guard lock(gone);
      destroyed = true;
    });
    // The held listing keeps the other thread in the destructor.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    {
      std::lock_guard lock(gone);
      EXPECT_FALSE(destroyed);
    }
    fs.LetGo();
    ending.join();
  }
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(fs.Listed(), std::set<std::string>{folders[0]});
}

// More folders than may wait ahead: the farthest make way, and the walk lists
// them itself, each once.
TEST(CheckFolderListingsFaults, FoldersBeyondTheBoundAreListedByTheWalk) {
  TempTree tree;
  const std::size_t count = FolderListings::kMostAhead + 40;
  std::vector<std::string> folders;
  for (std::size_t i = 0; i < count; ++i) {
    tree.MakeFolder("f" + std::to_string(i));
    folders.push_back(tree.Path("f" + std::to_string(i)) + kSeparator);
  }
  FaultyFileSystem fs{SystemFileSystem()};
  {
    FolderListings listings(fs, false);
    listings.Ahead(folders);
    listings.Ahead({folders.back()});
    for (const std::string& folder : folders) EXPECT_TRUE(listings.Take(folder).complete) << folder;
  }
  EXPECT_EQ(fs.Listings(), count);
}

// The walk with its listings made ahead still registers and says everything
// in depth-first order, also where more folders than may wait ahead are
// queued at once.
TEST(CheckWalkListingAhead, SaysEveryFileInDepthFirstOrder) {
  CheckFixture fixture;
  WriteFolders(fixture.tree, "w", 7, 3);  // 400 folders
  std::vector<std::string> folders;
  FoldersInWalkOrder(fixture.tree.Path("w") + kSeparator, folders);
  // Only the empty files are said; a folder's files and sub-folders are
  // visited in listing order, each sub-folder as it comes.
  std::vector<std::string> inWalkOrder;
  const std::function<void(const std::string&)> walk = [&](const std::string& folder) {
    std::vector<DirEntry> entries;
    SystemFileSystem().ListFolder(folder, entries);
    for (const DirEntry& entry : entries) {
      if (entry.kind == EntryKind::Folder) {
        walk(folder + entry.name + kSeparator);
      } else if (entry.name == "y") {
        inWalkOrder.push_back("[" + folder + "y] サイズゼロのファイルは対象外");
      }
    }
  };
  walk(fixture.tree.Path("w") + kSeparator);
  ASSERT_EQ(inWalkOrder.size(), folders.size());
  fixture.session.SetReaderThreads(4);
  fixture.engine.GetFiles(fixture.tree.Path("w"));
  EXPECT_EQ(fixture.status.HistoryOf(1), inWalkOrder);
  EXPECT_EQ(fixture.table.GetFileCount(), static_cast<int>(folders.size()));
  EXPECT_EQ(fixture.fs.Listings(), folders.size());
}

}  // namespace
}  // namespace kestrilo::testing
