// What the Win32 window does beyond its first design, as the Linux window
// does: cut texts end in an ellipsis and show whole in a tooltip, the folder
// column takes the width the window gains, the window keeps its command bar
// whole, the trailing row is never highlighted, and Left and Right scroll the
// columns. Each is driven through the window's own messages.

#include <windows.h>
#include <commctrl.h>

#include "win32/wide.h"
#include "window_fixture.h"

namespace kestrilo::testing {

namespace {

SIZE OuterSize(HWND window) {
  RECT outer;
  GetWindowRect(window, &outer);
  return {outer.right - outer.left, outer.bottom - outer.top};
}

void Resize(HWND window, int width, int height) {
  SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int HorizontalScroll(HWND grid) {
  SCROLLINFO info{sizeof info, SIF_POS, 0, 0, 0, 0, 0};
  GetScrollInfo(grid, SB_HORZ, &info);
  return info.nPos;
}

}  // namespace

class Win32WindowComfortsTest : public Win32WindowTest {
 protected:
  // The tooltip's text after the pointer rests on a cell.
  std::string ToolTipOver(int column, int row) {
    const RECT cell = form.Grid().CellPlace(column, row);
    Post(form.StringGrid1, WM_MOUSEMOVE, 0, MAKELPARAM((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2));
    std::wstring text(1024, L'\0');
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = form.StringGrid1;
    tool.uId = 1;
    tool.lpszText = text.data();
    SendMessageW(form.Grid().ToolTip(), TTM_GETTEXTW, text.size(), reinterpret_cast<LPARAM>(&tool));
    text.resize(std::wcslen(text.c_str()));
    return win32::Utf8(text);
  }

  std::string PanelTip(int panel) const {
    std::wstring text(1024, L'\0');
    SendMessageW(form.StatusBar1, SB_GETTIPTEXTW, MAKEWPARAM(panel, text.size()),
                 reinterpret_cast<LPARAM>(text.data()));
    text.resize(std::wcslen(text.c_str()));
    return win32::Utf8(text);
  }
};

TEST_F(Win32WindowComfortsTest, ACutCellAndAPanelShowTheirWholeTextAsATooltip) {
  const std::string folder = WriteThree(std::string(40, 'f') + "/とても長いフォルダの名前" + std::string(40, 'g'));
  AddFolder(folder);
  Click(form.CheckStart);
  ASSERT_EQ(form.Cells().Cell(3, 1), folder);

  EXPECT_EQ(ToolTipOver(3, 1), folder);
  EXPECT_EQ(ToolTipOver(2, 1), "");
  EXPECT_EQ(ToolTipOver(1, 0), "");
  EXPECT_EQ(ToolTipOver(3, 2), folder);

  EXPECT_EQ(PanelTip(1), Panel(1));
  EXPECT_EQ(PanelTip(1), "1 種類の同一ファイルが見つかりました");
}

TEST_F(Win32WindowComfortsTest, TheFolderColumnTakesTheWidthTheWindowGainsAndGivesItBack) {
  const SIZE first = OuterSize(form.Handle());
  const int folderWidth = form.Grid().ColumnWidth(3);
  const int others[] = {form.Grid().ColumnWidth(0), form.Grid().ColumnWidth(1), form.Grid().ColumnWidth(2)};

  Resize(form.Handle(), first.cx + 100, first.cy);
  EXPECT_EQ(form.Grid().ColumnWidth(3), folderWidth + 100);
  for (int column = 0; column < 3; ++column) EXPECT_EQ(form.Grid().ColumnWidth(column), others[column]);

  Resize(form.Handle(), first.cx + 40, first.cy + 50);
  EXPECT_EQ(form.Grid().ColumnWidth(3), folderWidth + 40);

  // Narrower than the first size the column keeps its first width.
  Resize(form.Handle(), first.cx - 20, first.cy);
  EXPECT_EQ(form.Grid().ColumnWidth(3), folderWidth);
}

TEST_F(Win32WindowComfortsTest, TheSmallestWindowKeepsTheCommandBarWholeAndTwoRowsInView) {
  const SIZE first = OuterSize(form.Handle());
  MINMAXINFO sizes{};
  SendMessageW(form.Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&sizes));
  EXPECT_LE(sizes.ptMinTrackSize.x, first.cx);
  EXPECT_LE(sizes.ptMinTrackSize.y, first.cy);
  EXPECT_GT(sizes.ptMinTrackSize.x, first.cx / 2);

  Resize(form.Handle(), 120, 90);
  const SIZE smallest = OuterSize(form.Handle());
  EXPECT_EQ(smallest.cx, sizes.ptMinTrackSize.x);
  EXPECT_EQ(smallest.cy, sizes.ptMinTrackSize.y);
  RECT client;
  GetClientRect(form.Handle(), &client);
  for (HWND control : {form.FileAdd, form.FilterText, form.CheckStart, form.QuickCheck, form.SortFlag, form.InitInfo}) {
    RECT place;
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, form.Handle(), reinterpret_cast<POINT*>(&place), 2);
    EXPECT_LE(place.right, client.right) << Caption(control);
  }
  RECT grid;
  GetClientRect(form.StringGrid1, &grid);
  EXPECT_GE(grid.bottom, 3 * form.Grid().RowHeight());
}

TEST_F(Win32WindowComfortsTest, TheTrailingRowCanBeCurrentButIsNeverHighlighted) {
  AddFolder(WriteThree("one"));
  Click(form.CheckStart);
  const int trailing = form.Cells().RowCount() - 1;
  ASSERT_EQ(trailing, 3);

  ClickGridRow(trailing);
  EXPECT_EQ(form.Cells().Row(), trailing);
  EXPECT_FALSE(form.Grid().IsSelected(trailing));

  ClickGridRow(1);
  Post(form.StringGrid1, WM_KEYDOWN, VK_END, 1);
  EXPECT_EQ(form.Cells().Row(), trailing);
  EXPECT_FALSE(form.Grid().IsSelected(trailing));
  EXPECT_EQ(form.Grid().SelectionLast(), trailing - 1);
}

TEST_F(Win32WindowComfortsTest, LeftAndRightScrollTheColumnsOneByOne) {
  // A header line dragged far to the right makes the columns wider than the grid.
  const RECT folder = form.Grid().CellPlace(3, 0);
  const LPARAM edge = MAKELPARAM(folder.right, 5);
  Post(form.StringGrid1, WM_LBUTTONDOWN, MK_LBUTTON, edge);
  Post(form.StringGrid1, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(folder.right + 400, 5));
  Post(form.StringGrid1, WM_LBUTTONUP, 0, MAKELPARAM(folder.right + 400, 5));
  ASSERT_EQ(form.Grid().ColumnWidth(3), folder.right - folder.left + 400);
  ASSERT_EQ(HorizontalScroll(form.StringGrid1), 0);

  const int first = form.Grid().ColumnWidth(0);
  const int second = form.Grid().ColumnWidth(1);
  Post(form.StringGrid1, WM_KEYDOWN, VK_RIGHT, 1);
  EXPECT_EQ(HorizontalScroll(form.StringGrid1), first);
  Post(form.StringGrid1, WM_KEYDOWN, VK_RIGHT, 1);
  EXPECT_EQ(HorizontalScroll(form.StringGrid1), first + second);
  Post(form.StringGrid1, WM_KEYDOWN, VK_LEFT, 1);
  EXPECT_EQ(HorizontalScroll(form.StringGrid1), first);
  Post(form.StringGrid1, WM_KEYDOWN, VK_LEFT, 1);
  Post(form.StringGrid1, WM_KEYDOWN, VK_LEFT, 1);
  EXPECT_EQ(HorizontalScroll(form.StringGrid1), 0);
  // The row stays where it was: the keys scroll, they do not move the current row.
  EXPECT_EQ(form.Cells().Row(), 1);
}

}  // namespace kestrilo::testing
