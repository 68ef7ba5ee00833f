// Every file that a pass leaves in place although it was to go is told, with
// the reason, to whoever asked (kestrilo-cli names them); the window's count
// stays as it was.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "delete/deletion_fixture.h"

namespace kestrilo::testing {
namespace {

struct FailureCase {
  const char* name;
  std::function<void(DeletionWorld&)> spoil;  // done to d/a after the check
  RemovalFailure why;
};

class RemovalFailures : public DeletionTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(RemovalFailures, TheFileStaysAndItsReasonIsTold) {
  // Only d/a is in scope; its partner e/b stays whatever happens.
  LayOut({{"1", "d", "a", "same"}, {"1", "e", "b", "same"}});
  GetParam().spoil(*this);
  std::vector<std::pair<int, RemovalFailure>> told;
  bulk.SetFailureObserver([&](int row, RemovalFailure why) { told.emplace_back(row, why); });
  EXPECT_EQ(bulk.DeleteBelow(tree.Path("d"), stop), 0);
  EXPECT_EQ(status.Text(1), "0 個のファイルを削除しました。");
  EXPECT_EQ(told, (std::vector<std::pair<int, RemovalFailure>>{{1, GetParam().why}}));
  EXPECT_EQ(Groups(), (std::vector<std::string>{"1", "1"}));
  EXPECT_TRUE(IsFile("e/b"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RemovalFailures,
    ::testing::Values(FailureCase{"Refused",
                                  [](DeletionWorld& world) { world.faulty.FailUnlink(world.tree.Path("d/a")); },
                                  RemovalFailure::Denied},
                      FailureCase{"Gone", [](DeletionWorld& world) { std::filesystem::remove(world.tree.Path("d/a")); },
                                  RemovalFailure::Gone},
                      // The row below, its only partner, was rewritten since.
                      FailureCase{"CopyChanged", [](DeletionWorld& world) { world.tree.Write("e/b", "other"); },
                                  RemovalFailure::NoCopy}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kestrilo::testing
