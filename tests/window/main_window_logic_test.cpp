// The window logic both windows share, over a real session on a temporary
// tree, with a window that records what it is asked to do.

#include "window/main_window_logic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "run/gated_file_system.h"
#include "run/run_fixture.h"
#include "support/memory_status_panels.h"
#include "support/scripted_dialogs.h"
#include "support/temp_tree.h"
#include "toolkit/window_view.h"

namespace kestrilo::testing {

namespace {

// Records every request as a word: "reset 30 110 70 330", "show", "close",
// "about", "topmost on|off", "-Control", "+Control", "caption:TEXT".
class RecordingView final : public WindowView {
 public:
  std::vector<std::string> calls;
  bool topMost = true;

  void SetControlEnabled(WindowControl control, bool enabled) override {
    window_.SetControlEnabled(control, enabled);
    calls.push_back(window_.changes.back());
  }
  void SetCheckStartCaption(const std::string& caption) override {
    window_.SetCheckStartCaption(caption);
    calls.push_back(window_.changes.back());
  }
  std::string CheckStartCaption() const override { return window_.CheckStartCaption(); }
  void ResetGrid(const ColumnWidths& widths) override {
    std::string call = "reset";
    for (int width : widths) call += " " + std::to_string(width);
    calls.push_back(call);
  }
  void ShowLatest() override { calls.push_back("show"); }
  void CloseLater() override { calls.push_back("close"); }
  void ShowAboutBox() override { calls.push_back("about"); }
  bool TopMost() const override { return topMost; }
  void SetTopMost(bool on) override {
    topMost = on;
    calls.push_back(on ? "topmost on" : "topmost off");
  }

  // The calls other than the running state's switches.
  std::vector<std::string> Requests() const {
    std::vector<std::string> requests;
    for (const std::string& call : calls) {
      if (call[0] != '+' && call[0] != '-' && call.rfind("caption:", 0) != 0) requests.push_back(call);
    }
    return requests;
  }

 private:
  RecordingWindow window_;
};

class MainWindowLogicTest : public ::testing::Test {
 protected:
  MainWindowLogicTest() { logic.FormCreate(); }
  ~MainWindowLogicTest() override { fs.OpenAll(); }

  // Two identical files and one other in `folder`; returns the folder's path.
  std::string WriteThree(const std::string& folder) {
    tree.Write(folder + "/a.txt", "same!");
    tree.Write(folder + "/b.txt", "same!");
    tree.Write(folder + "/c.txt", "other");
    return tree.Path(folder);
  }
  // Adds `folder` through the folder chooser with the quick check on.
  void AddAndCheck(const std::string& folder) {
    logic.Settings().quickCheck = true;
    dialogs.folders.push_back(folder);
    logic.FileAddClick();
  }
  // Runs `action` inside the wait of the command that reaches `gate`.
  void AtGate(Gate& gate, std::function<void()> action) {
    pump.onDispatch = [&gate, action = std::move(action), done = false]() mutable {
      if (done || !gate.Reached()) return;
      done = true;
      action();
      gate.Open();
    };
  }

  TempTree tree;
  MemoryStatusPanels status;
  ScriptedDialogs dialogs;
  GatedFileSystem fs;
  RecordingView view;
  ScriptedPump pump;
  MainWindowLogic logic{view, status, pump, dialogs, fs};
};

TEST_F(MainWindowLogicTest, AFreshWindowHasTheHeadersAndFirstWidthsAndAnEmptyTable) {
  EXPECT_EQ(view.Requests(), (std::vector<std::string>{"reset 30 110 70 330"}));
  EXPECT_EQ(logic.Cells().RowCount(), 2);
  EXPECT_EQ(logic.Cells().Rows(0), (GridRow{"", "ファイル名", "サイズ", "パス"}));
  EXPECT_EQ(logic.Cells().Row(), 1);
  EXPECT_EQ(logic.Session().Table().GetFileCount(), 0);
}

TEST_F(MainWindowLogicTest, AddingWithTheQuickCheckWalksChecksAndShowsTheResultOnce) {
  const std::string folder = WriteThree("one");
  view.calls.clear();

  AddAndCheck(folder);

  EXPECT_EQ(dialogs.folderPrompts, (std::vector<std::string>{"フォルダを選択して下さい。"}));
  EXPECT_EQ(logic.Session().Table().GetFileCount(), 3);
  EXPECT_EQ(logic.Cells().RowCount(), 4);
  EXPECT_EQ(logic.Cells().Cell(0, 1), "1");
  EXPECT_EQ(status.Text(1), "1 種類の同一ファイルが見つかりました");
  EXPECT_EQ(view.Requests(), (std::vector<std::string>{"show"}));
  // The running state was entered and left twice: the walk, then the check.
  EXPECT_EQ(std::count(view.calls.begin(), view.calls.end(), "caption:中止"), 2);
  EXPECT_EQ(view.CheckStartCaption(), "調査開始");
  EXPECT_FALSE(logic.IsRunning());
}

TEST_F(MainWindowLogicTest, CancelledChoosersAndEmptyDropsChangeNothing) {
  status.SetPanelText(1, "before");
  view.calls.clear();

  logic.FileAddClick();
  logic.F1Click();
  logic.WMDropFiles({});

  EXPECT_TRUE(view.calls.empty());
  EXPECT_EQ(status.Text(1), "before");
  EXPECT_TRUE(fs.Listed().empty());
}

TEST_F(MainWindowLogicTest, DropsTheDeleteKeyAndClosingWhileAWalkRunsStartNothingAndCloseAfterIt) {
  const std::string folder = WriteThree("one");
  const std::string dropped = WriteThree("dropped");
  bool mayClose = true;
  AtGate(fs.HoldAtListing(folder), [&] {
    logic.WMDropFiles({dropped});
    logic.FormKeyDown(true);
    mayClose = logic.MayClose();
  });

  dialogs.folders.push_back(folder);
  logic.FileAddClick();

  EXPECT_FALSE(mayClose);
  for (const std::string& listed : fs.Listed()) EXPECT_NE(listed.rfind(dropped, 0), 0u) << listed;
  EXPECT_TRUE(dialogs.asked.empty());
  // The walk was asked to stop, and the window closes once it has ended.
  EXPECT_EQ(status.Text(1),
            "中止しました " + std::to_string(logic.Session().Table().GetFileCount()) + " ファイル格納しています");
  EXPECT_EQ(view.Requests().back(), "close");
  EXPECT_TRUE(logic.MayClose());
}

TEST_F(MainWindowLogicTest, ClearingAsksFirstAndThenEmptiesTableGridAndPanels) {
  AddAndCheck(WriteThree("one"));
  status.SetPanelText(0, "counts");
  view.calls.clear();

  dialogs.answers = {false};
  logic.InitInfoClick();
  EXPECT_EQ(logic.Cells().RowCount(), 4);
  EXPECT_TRUE(view.calls.empty());

  dialogs.answers = {true};
  logic.InitInfoClick();
  EXPECT_EQ(dialogs.asked, (std::vector<std::pair<std::string, std::string>>(
                               2, {"ファイル情報を初期化してもよろしいですか", "初期化確認"})));
  EXPECT_EQ(view.Requests(), (std::vector<std::string>{"reset 30 110 70 330"}));
  EXPECT_EQ(logic.Cells().RowCount(), 2);
  EXPECT_EQ(logic.Session().Table().GetFileCount(), 0);
  EXPECT_EQ(status.Text(0), "");
  EXPECT_EQ(status.Text(1), "情報を初期化しました");
}

TEST_F(MainWindowLogicTest, WindowCommandsAndWhatTheyDoToThePanels) {
  struct Case {
    const char* name;
    void (MainWindowLogic::*command)();
    std::vector<std::string> requests;
    const char* panel0;
  };
  const Case cases[] = {
      {"about box", &MainWindowLogic::About1Click, {"about"}, "counts"},
      {"grid click", &MainWindowLogic::StringGrid1Click, {}, "counts"},
      {"top-most off", &MainWindowLogic::bTopWindowClick, {"topmost off"}, ""},
      {"top-most on", &MainWindowLogic::bTopWindowClick, {"topmost on"}, ""},
  };
  for (const Case& command : cases) {
    SCOPED_TRACE(command.name);
    status.SetPanelText(0, "counts");
    status.SetPanelText(1, "message");
    view.calls.clear();
    (logic.*command.command)();
    EXPECT_EQ(view.Requests(), command.requests);
    EXPECT_EQ(status.Text(0), command.panel0);
    EXPECT_EQ(status.Text(1), "");
  }
}

TEST_F(MainWindowLogicTest, CopyTakesTheCurrentRowsPathAndNothingFromARowWithoutAFile) {
  const std::string folder = WriteThree("one");
  AddAndCheck(folder);
  logic.Cells().SetRow(2);
  logic.C1Click();
  EXPECT_EQ(dialogs.clipboard, logic.Session().Results().PathOf(2));
  EXPECT_EQ(dialogs.clipboard.rfind(folder, 0), 0u);

  dialogs.clipboard = "kept";
  logic.Cells().SetRow(logic.Cells().RowCount() - 1);
  logic.C1Click();
  EXPECT_EQ(dialogs.clipboard, "kept");
}

TEST_F(MainWindowLogicTest, TheDeleteKeyDeletesTheCurrentRowsFileAfterItsQuestion) {
  AddAndCheck(WriteThree("one"));
  const std::string path = logic.Session().Results().PathOf(1);
  view.calls.clear();

  logic.FormKeyDown(false);
  EXPECT_TRUE(dialogs.asked.empty());

  dialogs.answers = {true};
  logic.FormKeyDown(true);
  ASSERT_EQ(dialogs.asked.size(), 1u);
  EXPECT_FALSE(fs.Exists(path));
  EXPECT_EQ(status.Text(1), path + " を削除しました");
  EXPECT_EQ(view.Requests(), (std::vector<std::string>{"show"}));
}

}  // namespace

}  // namespace kestrilo::testing
