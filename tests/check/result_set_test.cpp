#include "check/result_set.h"

#include <gtest/gtest.h>

#include "check/result_cells.h"
#include "platform/path_text.h"
#include "support/result_rows.h"

namespace kestrilo::testing {
namespace {

// Each row as the grid shows it: a deleted row keeps its size and folder but
// shows neither its group nor its name; an ungrouped row shows no group.
TEST(CheckResultCells, ShowEachRowAsTheGridDoes) {
  ResultSet results;
  ResultCells grid(results);
  grid.SetHeaders({"", "ファイル名", "サイズ", "パス"});
  results.Replace(
      {MadeRow(12, "a, b", 4294967296, "/d"), MadeRow(0, "lonely", 7, ""), MadeRow(3, "gone", 5, "/old", true)});
  EXPECT_EQ(grid.RowCount(), 5);
  EXPECT_EQ(grid.Rows(0), (GridRow{"", "ファイル名", "サイズ", "パス"}));
  EXPECT_EQ(grid.Rows(1), (GridRow{"12", "a, b", "4294967296", "/d"}));
  EXPECT_EQ(grid.Rows(2), (GridRow{"", "lonely", "7", ""}));
  EXPECT_EQ(grid.Rows(3), (GridRow{"", "", "5", "/old"}));
  EXPECT_EQ(grid.Rows(4), GridRow{}) << "the trailing row";
  EXPECT_EQ(grid.Cell(kFolderColumn, 1), "/d");
  EXPECT_EQ(grid.Cell(kGridColumns, 1), "");
  EXPECT_EQ(results.GroupOf(3), 0);
  EXPECT_EQ(results.PathOf(3), std::string("/old") + kSeparator + "gone") << "the deleted row still knows its file";
}

TEST(CheckResultCells, ANewSetOfRowsStartsAtTheFirstRow) {
  ResultSet results;
  ResultCells grid(results);
  results.Replace({MadeRow(1, "a", 1, "/d"), MadeRow(1, "b", 1, "/d")});
  grid.SetRow(2);
  results.SetGroup(2, 4);
  EXPECT_EQ(grid.Row(), 2) << "a changed row is no new set";
  const auto version = grid.Version();
  results.MarkDeleted(1);
  EXPECT_NE(grid.Version(), version);
  results.Replace({MadeRow(1, "c", 1, "/d")});
  EXPECT_EQ(grid.Row(), 1);
  EXPECT_FALSE(results.VerifiedFacts(1).has_value());
}

}  // namespace
}  // namespace kestrilo::testing
