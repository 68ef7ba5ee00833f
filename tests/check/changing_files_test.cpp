// Files that change between the walk and the check, and while the check runs:
// random trees of a few contents that agree in size and first bytes, mutated
// at random (removed, cut short, rewritten, replaced by a folder, a FIFO or a
// link). Every check must end within its bound, and every group must consist
// of files that were identical at one time.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "check_fixture.h"
#include "fingerprint/file_signature.h"
#include "platform/path_text.h"
#include "support/bounded_run.h"

namespace kestrilo::testing {
namespace {

enum class Mutation { Remove, CutShort, Rewrite, Folder, Fifo, FifoWithWriter, LinkToAnotherContent, kCount };

struct TreeFile {
  std::string path;
  int content = 0;  // files of equal content number were written identical
};

// The mutations of one tree. Each file is mutated at most once, and into
// something identical to no other file: cut to a length of its own, rewritten
// with a key of its own (every byte differs from before), or no file at all.
// A link leads to a file of another content, so a check that read through it
// would group files that never were identical.
class Mutator {
 public:
  Mutator(const std::vector<TreeFile>& files, std::uint32_t seed) : files_(files), random_(seed) {}
  ~Mutator() { CloseWriters(); }

  void Mutate(std::size_t i) {
    const std::string& path = files_[i].path;
    const auto mutation = static_cast<Mutation>(random_() % static_cast<unsigned>(Mutation::kCount));
    switch (mutation) {
      case Mutation::Remove:
        ::unlink(path.c_str());
        break;
      case Mutation::CutShort:
        ::truncate(path.c_str(), static_cast<off_t>(3000 + 131 * i));
        break;
      case Mutation::Rewrite: {
        const std::string old = ReadWholeFile(path);
        std::string fresh = old;
        for (char& byte : fresh) byte = static_cast<char>(byte ^ static_cast<char>(1 + i % 255));
        const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd >= 0) {
          [[maybe_unused]] const ssize_t written = ::pwrite(fd, fresh.data(), fresh.size(), 0);
          ::close(fd);
        }
        break;
      }
      case Mutation::Folder:
        ::unlink(path.c_str());
        ::mkdir(path.c_str(), 0700);
        break;
      case Mutation::Fifo:
      case Mutation::FifoWithWriter: {
        ::unlink(path.c_str());
        ::mkfifo(path.c_str(), 0600);
        std::lock_guard lock(mutex_);
        fifos_.push_back(path);
        // A writer that never writes: a reader of the FIFO would wait for data.
        if (mutation == Mutation::FifoWithWriter) writers_.push_back(::open(path.c_str(), O_RDWR | O_CLOEXEC));
        break;
      }
      case Mutation::LinkToAnotherContent: {
        std::vector<std::size_t> others;
        for (std::size_t k = 0; k < files_.size(); ++k) {
          if (files_[k].content != files_[i].content) others.push_back(k);
        }
        ::unlink(path.c_str());
        ::symlink(files_[others[random_() % others.size()]].path.c_str(), path.c_str());
        break;
      }
      case Mutation::kCount:
        break;
    }
  }

  // Lets a reader that waits on one of the FIFOs go on.
  void Release() {
    std::lock_guard lock(mutex_);
    OpenWriters(fifos_);
    for (int& writer : writers_) {
      if (writer >= 0) ::close(writer);
      writer = -1;
    }
  }

  std::mt19937& Random() { return random_; }

 private:
  void CloseWriters() {
    for (int writer : writers_) {
      if (writer >= 0) ::close(writer);
    }
  }

  const std::vector<TreeFile>& files_;
  std::mt19937 random_;
  std::mutex mutex_;
  std::vector<std::string> fifos_;
  std::vector<int> writers_;
};

TEST(CheckUnderChange, RandomMutationsNeverHangNorGroupFilesThatNeverMatched) {
  for (std::uint32_t seed = 1; seed <= 8; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    CheckFixture fixture;
    fixture.engine.SetReaderThreads(seed % 2 == 0 ? 4 : 1);
    std::mt19937 random(seed);
    // Most trees are read side by side; every fourth is too large for that
    // and goes by whole-content hashes first.
    const bool large = seed % 4 == 0;
    const int contents = 3;
    const int perContent = large ? 24 : 4 + static_cast<int>(random() % 5);
    const std::size_t size = large ? 70'000 : 150'000 + random() % 100'000;

    std::string head(kDigestedBytes, '\0');
    for (char& byte : head) byte = static_cast<char>(random());
    std::vector<std::string> bodies(contents);
    for (auto& body : bodies) {
      body = head;
      while (body.size() < size) body.push_back(static_cast<char>(random()));
    }
    std::vector<TreeFile> files;
    for (int i = 0; i < contents * perContent; ++i) {
      const int content = i % contents;
      const std::string relative = "d" + std::to_string(random() % 3) + "/f" + std::to_string(i);
      files.push_back({fixture.tree.Write(relative, bodies[static_cast<std::size_t>(content)]), content});
    }
    fixture.engine.GetFiles(fixture.tree.Root());

    // Between the walk and the check, then while the check runs.
    Mutator mutator(files, seed * 7919);
    std::vector<std::size_t> order(files.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::shuffle(order.begin(), order.end(), mutator.Random());
    const std::size_t before = order.size() / 4;
    const std::size_t during = order.size() / 2;
    std::set<std::string> mutatedBefore;
    for (std::size_t k = 0; k < before; ++k) {
      mutator.Mutate(order[k]);
      mutatedBefore.insert(files[order[k]].path);
    }
    if (fixture.engine.TakeOutCheckFiles() == 0) continue;
    const std::uint32_t pauseSeed = static_cast<std::uint32_t>(mutator.Random()());
    const bool ended = EndsWithin(
        std::chrono::seconds(30),
        [&] {
          std::thread changing([&] {
            std::mt19937 pauses(pauseSeed);
            for (std::size_t k = before; k < before + during; ++k) {
              std::this_thread::sleep_for(std::chrono::microseconds(pauses() % 1500));
              mutator.Mutate(order[k]);
            }
          });
          fixture.engine.CheckFiles();
          changing.join();
        },
        [&] { mutator.Release(); });
    EXPECT_TRUE(ended) << "the check hung";

    std::map<std::string, int> contentOf;
    for (const auto& file : files) contentOf[file.path] = file.content;
    std::map<std::string, std::set<int>> contentsOfGroup;
    for (int row = 1; row < fixture.grid.RowCount() - 1; ++row) {
      const GridRow cells = fixture.grid.Rows(row);
      if (cells[0].empty()) continue;
      const std::string path = JoinFolderAndName(cells[3], cells[1]);
      EXPECT_EQ(mutatedBefore.count(path), 0u) << path << " was changed before the check and still matched";
      contentsOfGroup[cells[0]].insert(contentOf.at(path));
    }
    for (const auto& [group, groupContents] : contentsOfGroup) {
      EXPECT_EQ(groupContents.size(), 1u) << "group " << group << " holds files that were never identical";
    }
  }
}

}  // namespace
}  // namespace kestrilo::testing
