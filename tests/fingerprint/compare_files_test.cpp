#include "fingerprint/compare_files.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/bounded_run.h"
#include "support/faulty_file_system.h"
#include "support/temp_tree.h"

namespace kestrilo {
namespace {

using testing::TempTree;

// The comparison reads in blocks of this size; sizes around it matter.
constexpr std::size_t kBlock = 256 * 1024;

std::size_t OpenDescriptors() {
#ifdef _WIN32
  // Wine counts no handles (always 0); Windows does.
  DWORD count = 0;
  ::GetProcessHandleCount(::GetCurrentProcess(), &count);
  return count;
#else
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++count;
  return count;
#endif
}

std::string Content(std::size_t size, unsigned seed) {
  std::string content(size, '\0');
  unsigned state = seed * 2654435761u + 7;
  for (char& c : content) {
    state = state * 1103515245u + 12345u;
    c = static_cast<char>(state >> 16);
  }
  return content;
}

std::string LastByteChanged(std::string content) {
  content.back() = static_cast<char>(content.back() ^ 0x01);
  return content;
}

std::string FirstByteChanged(std::string content) {
  content.front() = static_cast<char>(content.front() ^ 0x80);
  return content;
}

struct PairCase {
  std::string name;
  std::string first;
  std::string second;
  int expected;
};

class CompareFilesTest : public ::testing::TestWithParam<PairCase> {};

TEST_P(CompareFilesTest, BothOrders) {
  TempTree tree;
  const std::string a = tree.Write("a", GetParam().first);
  const std::string b = tree.Write("b", GetParam().second);
  const std::size_t descriptors = OpenDescriptors();
  EXPECT_EQ(CompareFiles(SystemFileSystem(), a, b), GetParam().expected);
  EXPECT_EQ(CompareFiles(SystemFileSystem(), b, a), GetParam().expected);
  EXPECT_EQ(OpenDescriptors(), descriptors);
}

std::vector<PairCase> Cases() {
  std::vector<PairCase> cases = {
      {"BothEmpty", "", "", 0},
      {"EmptyAndOneByte", "", "x", -1},
      {"OneByteEqual", "x", "x", 0},
      {"OneByteDiffers", "x", "y", -1},
  };
  for (const std::size_t size :
       {std::size_t{1023}, std::size_t{1024}, std::size_t{3 * 1024}, kBlock - 1, kBlock, kBlock + 1, 3 * kBlock}) {
    const std::string content = Content(size, static_cast<unsigned>(size));
    const std::string tag = std::to_string(size);
    cases.push_back({"Identical" + tag, content, content, 0});
    cases.push_back({"LastByteDiffers" + tag, content, LastByteChanged(content), -1});
    cases.push_back({"FirstByteDiffers" + tag, content, FirstByteChanged(content), -1});
    cases.push_back({"OneByteLonger" + tag, content, content + "\n", -1});
    cases.push_back({"EmptyAnd" + tag, "", content, -1});
  }
  // A prefix that ends exactly where a block of the longer file ends.
  const std::string twoBlocks = Content(2 * kBlock, 99);
  cases.push_back({"PrefixOfOneBlock", twoBlocks.substr(0, kBlock), twoBlocks, -1});
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Pairs, CompareFilesTest, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param.name; });

TEST(CompareFiles, FileEqualsItself) {
  TempTree tree;
  const std::string path = tree.WriteSized("f", kBlock + 5, 1);
  EXPECT_EQ(CompareFiles(SystemFileSystem(), path, path), 0);
}

TEST(CompareFiles, UnopenableOrMissingFileIsADifferenceAndNothingStaysOpen) {
  TempTree tree;
  const std::string content = Content(5000, 5);
  const std::string a = tree.Write("a", content);
  const std::string b = tree.Write("b", content);
  const std::string locked = tree.Write("locked", content);
  const std::string missing = tree.Path("missing");
  FaultyFileSystem fs(SystemFileSystem());
  fs.FailOpen(locked);
  ASSERT_EQ(CompareFiles(fs, a, b), 0);

  const std::size_t descriptors = OpenDescriptors();
  EXPECT_EQ(CompareFiles(fs, a, locked), -1);
  EXPECT_EQ(CompareFiles(fs, locked, a), -1);
  EXPECT_EQ(CompareFiles(fs, a, missing), -1);
  EXPECT_EQ(CompareFiles(fs, missing, a), -1);
  EXPECT_EQ(CompareFiles(fs, locked, locked), -1);
  EXPECT_EQ(OpenDescriptors(), descriptors);
}

// Whatever is no longer a regular file differs from everything, itself and
// an empty file included, and is not read: a folder would read as an empty
// file, a link would lead to another file, a FIFO would block the open.
#ifndef _WIN32
TEST(CompareFiles, AnythingButARegularFileDiffersFromEverything) {
  TempTree tree;
  const std::string empty = tree.Write("empty", "");
  const std::string full = tree.Write("full", "data");
  const std::string fifo = tree.Path("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::vector<std::string> others = {tree.MakeFolder("dir"), tree.Symlink("link", full), fifo};
  const std::size_t descriptors = OpenDescriptors();
  std::vector<std::string> same;
  const bool ended = testing::EndsWithin(
      std::chrono::seconds(10),
      [&] {
        for (const auto& other : others) {
          for (const auto& file : {empty, full, other}) {
            if (CompareFiles(SystemFileSystem(), other, file) == 0) same.push_back(other + " " + file);
            if (CompareFiles(SystemFileSystem(), file, other) == 0) same.push_back(file + " " + other);
          }
        }
      },
      [&] { testing::OpenWriters({fifo}); });
  EXPECT_TRUE(ended) << "a comparison waited";
  EXPECT_EQ(same, std::vector<std::string>{});
  EXPECT_EQ(OpenDescriptors(), descriptors);
}
#endif

}  // namespace
}  // namespace kestrilo
