// The Win32 main window driven by its messages: button clicks, menu commands,
// a drop from the shell, keys; the grid read back through its cell store, the
// status panels through the status bar's own messages.

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "win32/command_ids.h"
#include "window_fixture.h"

namespace kestrilo::testing {

namespace {

using win32::TAboutBox;

const std::vector<bool> kAllEnabled(9, true);
const std::vector<bool> kAllDisabled(9, false);

std::vector<std::string> SortedNames(const std::vector<GridRow>& rows) {
  std::vector<std::string> names;
  for (const GridRow& row : rows) names.push_back(row[1]);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

TEST_F(Win32WindowTest, StartsTopMostWithTheEmptyGridAndItsDefaults) {
  EXPECT_EQ(Caption(form.Handle()), "Kestrilo");
  EXPECT_TRUE(form.TopMost());
  EXPECT_NE(GetMenuState(form.MainMenu1, win32::kbTopWindowId, MF_BYCOMMAND) & MF_CHECKED, 0u);
  RECT outer;
  GetWindowRect(form.Handle(), &outer);
  EXPECT_EQ(outer.right - outer.left, 576);
  EXPECT_EQ(outer.bottom - outer.top, 357);
  EXPECT_EQ(form.Cells().RowCount(), 2);
  EXPECT_EQ(form.Cells().Rows(0), (GridRow{"", "ファイル名", "サイズ", "パス"}));
  const int widths[] = {30, 110, 70, 330};
  for (int column = 0; column < 4; ++column) EXPECT_EQ(form.Grid().ColumnWidth(column), widths[column]);
  int edges[2] = {};
  ASSERT_EQ(SendMessageW(form.StatusBar1, SB_GETPARTS, 2, reinterpret_cast<LPARAM>(edges)), 2);
  EXPECT_EQ(edges[0], 150);
  EXPECT_EQ(Panel(0), "");
  EXPECT_EQ(Panel(1), "");
  EXPECT_EQ(Caption(form.FilterText), "*.*");
  EXPECT_EQ(SendMessageW(form.SortFlag, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageW(form.QuickCheck, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(Caption(form.CheckStart), "調査開始");
  EXPECT_EQ(RunningStateControls(), kAllEnabled);
}

TEST_F(Win32WindowTest, TopMostCommandSwitchesTheStyleAndItsCheckTogether) {
  const auto checked = [&] {
    return (GetMenuState(form.MainMenu1, win32::kbTopWindowId, MF_BYCOMMAND) & MF_CHECKED) != 0;
  };
  Drop({tree.MakeFolder("empty")});
  ASSERT_EQ(Panel(0), "0");

  Command(win32::kbTopWindowId);
  EXPECT_FALSE(form.TopMost());
  EXPECT_FALSE(checked());
  EXPECT_EQ(Panel(0), "");

  Command(win32::kbTopWindowId);
  EXPECT_TRUE(form.TopMost());
  EXPECT_TRUE(checked());
  EXPECT_TRUE(IsWindowVisible(form.Handle()));
}

TEST_F(Win32WindowTest, WalkAndDuplicateCheckOfASmallTree) {
  const std::string folder = WriteThree("one");

  std::vector<bool> controls;
  std::string caption, message;
  bool stopEnabled = false;
  AtGate walking(fs.HoldAtListing(folder), [&] {
    controls = RunningStateControls();
    caption = Caption(form.CheckStart);
    message = Panel(1);
    stopEnabled = IsWindowEnabled(form.CheckStart) != FALSE;
  });
  AddFolder(folder);
  ASSERT_TRUE(walking.Done());
  EXPECT_EQ(controls, kAllDisabled);
  EXPECT_EQ(caption, "中止");
  EXPECT_EQ(message, "ファイルを検索しています");
  EXPECT_TRUE(stopEnabled);
  EXPECT_EQ(Panel(0), "3");
  EXPECT_EQ(Panel(1), "");
  EXPECT_EQ(Caption(form.CheckStart), "調査開始");
  EXPECT_EQ(RunningStateControls(), kAllEnabled);

  Click(form.CheckStart);
  EXPECT_EQ(Panel(0), "1/2/3");
  EXPECT_EQ(Panel(1), "1 種類の同一ファイルが見つかりました");
  EXPECT_EQ(RunningStateControls(), kAllEnabled);
  const std::vector<GridRow> rows = DataRows();
  ASSERT_EQ(rows.size(), 2u);
  for (const GridRow& row : rows) {
    EXPECT_EQ(row[0], "1");
    EXPECT_EQ(row[2], "5");
    EXPECT_EQ(row[3], folder);
  }
  EXPECT_EQ(SortedNames(rows), (std::vector<std::string>{"a.txt", "b.txt"}));
}

TEST_F(Win32WindowTest, StopButtonEndsAWalk) {
  const std::string folder = WriteThree("one");
  tree.Write("one/deeper/d.txt", "more");
  AtGate walking(fs.HoldAtListing(folder), [&] { SendMessageW(form.CheckStart, BM_CLICK, 0, 0); });

  AddFolder(folder);

  ASSERT_TRUE(walking.Done());
  EXPECT_EQ(Panel(1), "中止しました " + std::to_string(form.Table().GetFileCount()) + " ファイル格納しています");
  EXPECT_LT(form.Table().GetFileCount(), 4);
  EXPECT_EQ(Caption(form.CheckStart), "調査開始");
  EXPECT_EQ(RunningStateControls(), kAllEnabled);
}

TEST_F(Win32WindowTest, DropOfTwoFoldersWalksThemInTheShellsOrder) {
  const std::string second = WriteThree("b");
  const std::string first = WriteThree("a");
  bool runningBetween = false;
  AtGate atSecond(fs.HoldAtListing(second), [&] {
    runningBetween = Caption(form.CheckStart) == "中止" && IsWindowEnabled(form.FileAdd) == FALSE;
  });

  Drop({first, second});

  ASSERT_TRUE(atSecond.Done());
  EXPECT_TRUE(runningBetween);
  std::vector<std::string> order;
  for (const std::string& listed : fs.Listed()) {
    if (listed.rfind(first, 0) == 0 || listed.rfind(second, 0) == 0) order.push_back(listed);
  }
  ASSERT_EQ(order.size(), 2u);
  EXPECT_EQ(order[0].rfind(first, 0), 0u);
  EXPECT_EQ(order[1].rfind(second, 0), 0u);
  EXPECT_EQ(Panel(0), "6");
  EXPECT_EQ(RunningStateControls(), kAllEnabled);
}

TEST_F(Win32WindowTest, DropsAndTheDeleteKeyWhileAWalkRunsStartNothing) {
  const std::string folder = WriteThree("one");
  AddFolder(folder);
  Click(form.CheckStart);
  ASSERT_EQ(form.Cells().Cell(0, form.Cells().Row()), "1");
  const std::string current = folder + "\\" + form.Cells().Cell(1, form.Cells().Row());
  const std::string walked = WriteThree("walked");
  const std::string dropped = WriteThree("dropped");
  dialogs.script.answers = {true};
  AtGate walking(fs.HoldAtListing(walked), [&] {
    Drop({dropped});
    PostMessageW(form.StringGrid1, WM_KEYDOWN, VK_DELETE, 1);
  });

  AddFolder(walked);

  ASSERT_TRUE(walking.Done());
  for (const std::string& listed : fs.Listed()) EXPECT_NE(listed.rfind(dropped, 0), 0u) << listed;
  EXPECT_TRUE(dialogs.script.asked.empty());
  EXPECT_TRUE(fs.Exists(current));
  EXPECT_EQ(Panel(0), "6");
}

TEST_F(Win32WindowTest, ClosingDuringAWalkStopsItAndClosesWhenItEnded) {
  const std::string folder = WriteThree("one");
  tree.Write("one/deeper/d.txt", "more");
  bool openAfterClose = false;
  AtGate walking(fs.HoldAtListing(folder), [&] {
    SendMessageW(form.Handle(), WM_CLOSE, 0, 0);
    openAfterClose = IsWindow(form.Handle()) != FALSE;
  });

  AddFolder(folder);
  Pump();

  ASSERT_TRUE(walking.Done());
  EXPECT_TRUE(openAfterClose);
  EXPECT_LT(form.Table().GetFileCount(), 4);
  EXPECT_FALSE(IsWindow(form.Handle()));
}

TEST_F(Win32WindowTest, CopyPathThenClear) {
  const std::string folder = WriteThree("one");
  AddFolder(folder);
  Click(form.CheckStart);
  ASSERT_NE(Panel(1), "");
  ClickGridRow(2);
  ASSERT_EQ(form.Cells().Row(), 2);
  EXPECT_EQ(Panel(1), "");

  Command(win32::kC1Id);
  EXPECT_EQ(ClipboardText(), folder + "\\" + form.Cells().Cell(1, 2));

  dialogs.script.answers = {false};
  Click(form.InitInfo);
  EXPECT_EQ(form.Cells().RowCount(), 4);
  dialogs.script.answers = {true};
  Click(form.InitInfo);
  ASSERT_EQ(dialogs.script.asked.size(), 2u);
  EXPECT_EQ(dialogs.script.asked[1],
            (std::pair<std::string, std::string>{"ファイル情報を初期化してもよろしいですか", "初期化確認"}));
  EXPECT_EQ(form.Cells().RowCount(), 2);
  EXPECT_EQ(form.Table().GetFileCount(), 0);
  EXPECT_EQ(Panel(0), "");
  EXPECT_EQ(Panel(1), "情報を初期化しました");
}

TEST_F(Win32WindowTest, ReportHoldsTheNumberedRowsWithCrLf) {
  const std::string folder = WriteThree("one");
  AddFolder(folder);
  Click(form.CheckStart);
  const std::string report = tree.Path("report.txt");

  dialogs.script.saveFiles.push_back(report);
  Command(win32::kSaveAs1Id);
  ASSERT_EQ(dialogs.script.proposedSaveNames, (std::vector<std::string>{"Kestrilo.txt"}));
  std::string expected;
  for (const GridRow& row : DataRows()) expected += row[0] + ", " + row[1] + ", " + row[2] + ", " + row[3] + "\r\n";
  EXPECT_EQ(ReadWholeFile(report), expected);
  EXPECT_EQ(Panel(1), "");

  // Saving again offers the name chosen last and asks before overwriting.
  dialogs.script.saveFiles.push_back(report);
  dialogs.script.answers = {false};
  tree.Write("report.txt", "kept");
  Command(win32::kSaveAs1Id);
  EXPECT_EQ(dialogs.script.proposedSaveNames.back(), report);
  ASSERT_EQ(dialogs.script.asked.size(), 1u);
  EXPECT_EQ(dialogs.script.asked[0], (std::pair<std::string, std::string>{"上書きしてもよろしいですか", "上書き確認"}));
  EXPECT_EQ(ReadWholeFile(report), "kept");
}

TEST_F(Win32WindowTest, DeleteKeyDeletesTheCurrentRowsFileAfterItsQuestion) {
  const std::string folder = WriteThree("one");
  AddFolder(folder);
  Click(form.CheckStart);
  ClickGridRow(1);
  const std::string name = form.Cells().Cell(1, 1);
  const std::string path = folder + "\\" + name;

  dialogs.script.answers = {false};
  Post(form.StringGrid1, WM_KEYDOWN, VK_DELETE, 1);
  EXPECT_TRUE(fs.Exists(path));
  EXPECT_EQ(form.Cells().Cell(0, 1), "1");

  dialogs.script.answers = {true};
  Post(form.StringGrid1, WM_KEYDOWN, VK_DELETE, 1);
  ASSERT_EQ(dialogs.script.asked.size(), 2u);
  EXPECT_EQ(dialogs.script.asked[1],
            (std::pair<std::string, std::string>{name + " を削除してもよろしいですか？", "削除確認"}));
  EXPECT_FALSE(fs.Exists(path));
  EXPECT_EQ(form.Cells().Rows(1), (GridRow{"", "", "5", folder}));
  EXPECT_EQ(Panel(1), path + " を削除しました");

  // The one file left of the group is kept.
  ClickGridRow(2);
  Post(form.StringGrid1, WM_KEYDOWN, VK_DELETE, 1);
  EXPECT_EQ(Panel(1), "重複ファイルが無いため削除できません。");
  EXPECT_EQ(dialogs.script.asked.size(), 2u);
}

TEST_F(Win32WindowTest, AboutBoxCentredOverTheDisabledWindowClosesOnlyByOkOrItsCloseBox) {
  Command(win32::kAbout1Id);
  HWND box = form.AboutBox->Handle();
  ASSERT_TRUE(IsWindowVisible(box));
  EXPECT_FALSE(IsWindowEnabled(form.Handle()));
  RECT main, outer, client;
  GetWindowRect(form.Handle(), &main);
  GetWindowRect(box, &outer);
  GetClientRect(box, &client);
  const POINT centred = TAboutBox::CentredOver(main, {outer.right - outer.left, outer.bottom - outer.top});
  EXPECT_EQ(outer.left, centred.x);
  EXPECT_EQ(outer.top, centred.y);
  EXPECT_EQ(client.right, 298);
  EXPECT_EQ(client.bottom, 213);
  EXPECT_EQ(TAboutBox::CentredOver({100, 0, 675, 357}, {306, 240}).x, 234);

  SetFocus(form.AboutBox->OKButton);
  Post(form.AboutBox->OKButton, WM_KEYDOWN, VK_ESCAPE, 1);
  EXPECT_TRUE(IsWindowVisible(box));
  Post(form.AboutBox->OKButton, WM_KEYDOWN, VK_RETURN, 1);
  EXPECT_FALSE(IsWindowVisible(box));
  EXPECT_TRUE(IsWindowEnabled(form.Handle()));

  Command(win32::kAbout1Id);
  Post(box, WM_CLOSE);
  EXPECT_FALSE(IsWindowVisible(box));
  EXPECT_TRUE(IsWindowEnabled(form.Handle()));
}

}  // namespace kestrilo::testing
