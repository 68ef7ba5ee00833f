#include "delete/partner_scan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/result_rows.h"

namespace kestrilo::testing {
namespace {

struct PartnerCase {
  const char* name;
  std::vector<std::string> groups;  // column 0 of data rows 1..n
  int row;
  std::vector<int> partners;
};

void PrintTo(const PartnerCase& c, std::ostream* out) { *out << c.name; }

class PartnersOfTest : public ::testing::TestWithParam<PartnerCase> {};

TEST_P(PartnersOfTest, FindsTheNearestNumberedRowsOfTheGroup) {
  const auto& c = GetParam();
  std::vector<ResultRow> rows;
  for (const std::string& group : c.groups) rows.push_back(MadeRow(group.empty() ? 0 : std::stoi(group), "f", 1, "/d"));
  ResultSet grid;
  grid.Replace(std::move(rows));
  EXPECT_EQ(PartnersOf(grid, c.row), c.partners);
}

INSTANTIATE_TEST_SUITE_P(Grids, PartnersOfTest,
                         ::testing::Values(PartnerCase{"pair_first", {"1", "1"}, 1, {2}},
                                           PartnerCase{"pair_second", {"1", "1"}, 2, {1}},
                                           PartnerCase{"middle_of_three", {"1", "1", "1"}, 2, {1, 3}},
                                           PartnerCase{"through_a_blank_row_up", {"1", "", "1"}, 3, {1}},
                                           PartnerCase{"through_a_blank_row_down", {"1", "", "1"}, 1, {3}},
                                           PartnerCase{"other_group_between", {"1", "2", "1"}, 1, {}},
                                           PartnerCase{"other_group_between_up", {"1", "2", "1"}, 3, {}},
                                           PartnerCase{"last_of_its_group", {"1", "", ""}, 1, {}},
                                           PartnerCase{"other_group_above_own_below", {"2", "3", "3"}, 2, {3}},
                                           PartnerCase{"row_without_group", {"1", "", "1"}, 2, {}},
                                           PartnerCase{"alternating", {"1", "2", "1", "2"}, 2, {}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(NumberedRows, StopAtTheDataRowsAndPassOverBlankRows) {
  // A deleted row of group 5 shows no group.
  ResultSet grid;
  grid.Replace(
      {MadeRow(4, "a", 1, "/d"), MadeRow(0, "b", 1, "/d"), MadeRow(5, "c", 1, "/d"), MadeRow(5, "d", 1, "/d", true)});
  EXPECT_EQ(NumberedRowAbove(grid, 3), 1);
  EXPECT_EQ(NumberedRowAbove(grid, 1), std::nullopt);
  EXPECT_EQ(NumberedRowBelow(grid, 1), 3);
  EXPECT_EQ(NumberedRowBelow(grid, 3), std::nullopt);
  EXPECT_EQ(NumberedRowBelow(grid, 2), 3);
  EXPECT_EQ(NumberedRowAbove(grid, 2), 1);
}

}  // namespace
}  // namespace kestrilo::testing
