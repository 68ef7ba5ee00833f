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

}  // namespace
}  // namespace kestrilo::testing
