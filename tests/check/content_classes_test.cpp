#include "check/content_classes.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "support/temp_tree.h"

namespace kestrilo::testing {
namespace {

// Sets read side by side with blocks narrowed to the budget, small sets of
// small files read whole at once, and sets first hashed (on one thread or
// several, small files a batch at a time), then confirmed in slices as wide as
// their size allows.
class CheckContentClasses : public ::testing::TestWithParam<std::tuple<int, std::size_t, unsigned>> {};

TEST_P(CheckContentClasses, ClassesFollowContentAndOneFileKeepsOneClass) {
  const auto [count, size, threads] = GetParam();
  TempTree tree;
  std::vector<std::string> paths;
  std::vector<int> kinds;
  for (int i = 0; i < count; ++i) {
    // Contents of one size differing late, at the end, or only in the head
    // (as if their head digests had collided: only the bytes tell them apart).
    std::string content(size, 'c');
    if (i % 4 == 1) content[3000] = 'x';
    if (i % 4 == 2) content[size - 1] = 'y';
    if (i % 4 == 3) content[10] = 'h';
    paths.push_back(tree.Write("set/" + std::to_string(i), content));
    kinds.push_back(i % 4);
  }
  paths.push_back(tree.HardLink("set/link", "set/1"));
  kinds.push_back(1);

  const StopRequest never;
  const PathOfPlace pathOf = [&paths](std::size_t place) { return paths[place]; };
  const ContentClasses classes = ClassifyContents(SystemFileSystem(), paths.size(), pathOf, size, never, threads);
  ASSERT_FALSE(classes.stopped);
  ASSERT_EQ(classes.classOf.size(), paths.size());
  for (std::size_t i = 0; i < paths.size(); ++i) {
    ASSERT_TRUE(classes.facts[i].has_value()) << i;
    ASSERT_GE(classes.classOf[i], 0) << i;
    for (std::size_t k = 0; k < i; ++k) {
      ASSERT_EQ(classes.classOf[i] == classes.classOf[k], kinds[i] == kinds[k]) << i << " and " << k;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    , CheckContentClasses,
    ::testing::Values(std::make_tuple(40, std::size_t{70000}, 1u), std::make_tuple(40, std::size_t{5000}, 1u),
                      std::make_tuple(150, std::size_t{5000}, 1u), std::make_tuple(150, std::size_t{5000}, 3u),
                      std::make_tuple(100, std::size_t{70000}, 1u), std::make_tuple(100, std::size_t{70000}, 4u)));

// Sets classified together, as the verification hands them over: small sets
// read in one batch, among them one whose file has grown since it was walked
// (it cannot be read whole as it was, so its set is read the usual way), and a
// set of large files between them.
TEST(CheckContentClassesOfSets, EachSetKeepsItsOwnClasses) {
  struct Set {
    std::uint64_t size;
    std::vector<std::string> contents;
  };
  const std::vector<Set> table = {
      {100, {std::string(100, 'a'), std::string(100, 'a'), std::string(99, 'a') + 'b'}},
      {100, {std::string(100, 'b'), std::string(100, 'c')}},
      {300, {std::string(300, 'd'), std::string(300, 'd') + "grown", std::string(300, 'd')}},
      {70000, {std::string(70000, 'e'), std::string(70000, 'e')}},
      {4000, {std::string(4000, 'f'), std::string(3999, 'f') + 'g', std::string(4000, 'f'), std::string(4000, 'f')}},
  };
  TempTree tree;
  std::vector<std::vector<std::string>> paths(table.size());
  std::vector<FileSet> sets;
  for (std::size_t s = 0; s < table.size(); ++s) {
    for (std::size_t i = 0; i < table[s].contents.size(); ++i) {
      paths[s].push_back(tree.Write(std::to_string(s) + "/" + std::to_string(i), table[s].contents[i]));
    }
    sets.push_back({paths[s].size(), [&paths, s](std::size_t place) { return paths[s][place]; }, table[s].size});
  }

  const StopRequest never;
  const std::vector<ContentClasses> classes = ClassifyContents(SystemFileSystem(), sets, never);
  ASSERT_EQ(classes.size(), table.size());
  for (std::size_t s = 0; s < table.size(); ++s) {
    const auto& contents = table[s].contents;
    ASSERT_FALSE(classes[s].stopped) << s;
    ASSERT_EQ(classes[s].classOf.size(), contents.size()) << s;
    for (std::size_t i = 0; i < contents.size(); ++i) {
      ASSERT_TRUE(classes[s].facts[i].has_value()) << s << "/" << i;
      EXPECT_EQ(classes[s].facts[i]->size, contents[i].size()) << s << "/" << i;
      for (std::size_t k = 0; k < i; ++k) {
        EXPECT_EQ(classes[s].classOf[i] == classes[s].classOf[k], contents[i] == contents[k])
            << s << ": " << i << "/" << k;
      }
    }
  }
}

}  // namespace
}  // namespace kestrilo::testing
