#include "run/run_control.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <algorithm>
#include <fstream>
#include <new>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "run/run_texts.h"
#include "run_fixture.h"

namespace kestrilo::testing {
namespace {

using Texts = std::vector<std::pair<int, std::string>>;

const std::vector<std::string> kRunningThenIdle = {
    "-File1",      "-Show1",           "-Help1",      "-FileAdd",  "-FilterText",  "caption:中止", "-QuickCheck",
    "-InitInfo",   "-StringGrid1",     "-SortFlag",   "+File1",    "+Show1",       "+Help1",       "+FileAdd",
    "+FilterText", "caption:調査開始", "+QuickCheck", "+InitInfo", "+StringGrid1", "+SortFlag"};

std::string StopText(int count) { return "中止しました " + std::to_string(count) + " ファイル格納しています"; }

// Index of the first (panel, text) in `history` at or after `from`; -1 when absent.
int Find(const Texts& history, int panel, const std::string& text, int from = 0) {
  for (int i = std::max(from, 0); i < static_cast<int>(history.size()); ++i) {
    if (history[i].first == panel && history[i].second == text) return i;
  }
  return -1;
}

class RunControlTest : public ::testing::Test, protected RunFixture {
 protected:
  // Three files, two of them identical, in `folder`.
  void WriteThree(const std::string& folder) {
    tree.Write(folder + "/a.txt", "same content");
    tree.Write(folder + "/b.txt", "same content");
    tree.Write(folder + "/c.txt", "other content!");
  }
};

TEST_F(RunControlTest, WalkThatEndsNormallyShowsTheCountAndEmptiesTheMessage) {
  WriteThree("one");

  run.AddPaths({tree.Path("one")});

  const Texts history = status.History();
  ASSERT_GE(history.size(), 3u);
  EXPECT_EQ(history.front(), (std::pair<int, std::string>{1, "ファイルを検索しています"}));
  EXPECT_EQ(history[history.size() - 2], (std::pair<int, std::string>{0, "3"}));
  EXPECT_EQ(history.back(), (std::pair<int, std::string>{1, ""}));
  EXPECT_EQ(window.changes, kRunningThenIdle);
  EXPECT_EQ(window.caption, "調査開始");
  EXPECT_FALSE(run.IsRunning());
  EXPECT_EQ(run.RunModeNow(), kIdle);
  EXPECT_GT(pump.calls, 0) << "the window thread must dispatch events while it waits";
  EXPECT_EQ(grid.RowCount(), 2) << "adding without the quick check leaves the grid alone";
}

TEST_F(RunControlTest, StopDuringAWalkKeepsWhatWasStoredAndSaysHowMuch) {
  WriteThree("top");
  WriteThree("top/deeper");
  StopAt(fs.HoldAtListing(tree.Path("top/deeper")));

  run.AddPaths({tree.Path("top")});

  const int count = table.GetFileCount();
  EXPECT_LT(count, 6) << "the files below the folder listed at the stop are not registered";
  const Texts history = status.History();
  EXPECT_EQ(history.back(), (std::pair<int, std::string>{1, StopText(count)}));
  EXPECT_TRUE(stop.IsSet());
  EXPECT_EQ(window.caption, "調査開始");
}

TEST_F(RunControlTest, StopAfterTheWalkBodyReturnedStillReportsAStoppedWalk) {
  WriteThree("one");
  Gate afterBody;
  jobs.afterWalk = &afterBody;
  StopAt(afterBody);

  run.AddPaths({tree.Path("one")});

  EXPECT_EQ(table.GetFileCount(), 3);
  EXPECT_EQ(status.Text(1), StopText(3));
  EXPECT_EQ(window.changes, kRunningThenIdle);
}

TEST_F(RunControlTest, CheckOnAnEmptyTableSaysThereAreNoDuplicates) {
  run.CheckStartClick();

  const Texts expected = {{0, "0/0"}, {1, "重複ファイルのチェックを行います"}, {1, "重複ファイルは有りません"}};
  EXPECT_EQ(status.History(), expected);
  EXPECT_EQ(window.changes, kRunningThenIdle);
  EXPECT_EQ(grid.RowCount(), 2);
}

TEST_F(RunControlTest, IdleClickAlwaysStartsACheckAndClearsAnEarlierStop) {
  WriteThree("one");
  run.AddPaths({tree.Path("one")});
  stop.Set();
  window.caption = "調査開始";
  status.ClearHistory();

  run.CheckStartClick();

  EXPECT_FALSE(stop.IsSet());
  const Texts history = status.History();
  ASSERT_FALSE(history.empty());
  EXPECT_EQ(history.front(), (std::pair<int, std::string>{0, "0/3"}));
  EXPECT_EQ(history.back(), (std::pair<int, std::string>{1, "1 種類の同一ファイルが見つかりました"}));
  EXPECT_EQ(grid.RowCount(), 4);
  EXPECT_EQ(grid.Cell(0, 1), "1");
  EXPECT_EQ(grid.Cell(0, 2), "1");

  status.ClearHistory();
  run.CheckStartClick();
  EXPECT_EQ(status.History().front(), (std::pair<int, std::string>{0, "2/3"}))
      << "rows come from the grid as the previous check left it";
}

TEST_F(RunControlTest, ClickWhileRunningOnlyRequestsTheStop) {
  WriteThree("one");
  Gate afterBody;
  jobs.afterWalk = &afterBody;
  std::vector<std::string> captionsSeen;
  pump.onDispatch = [&] {
    if (!afterBody.Reached() || !captionsSeen.empty()) return;
    captionsSeen.push_back(window.caption);
    const auto before = status.History().size();
    run.CheckStartClick();
    EXPECT_EQ(status.History().size(), before) << "a stop writes no text by itself";
    EXPECT_TRUE(run.IsRunning());
    afterBody.Open();
  };

  run.AddPaths({tree.Path("one")});

  EXPECT_EQ(captionsSeen, std::vector<std::string>{"中止"});
  EXPECT_EQ(window.changes, kRunningThenIdle) << "no second job was started from inside the wait";
}

TEST_F(RunControlTest, QuickCheckAfterAStoppedWalkStillRunsTheCheck) {
  WriteThree("one");
  WriteThree("one/inner");
  settings.quickCheck = true;
  StopAt(fs.HoldAtListing(tree.Path("one/inner")));

  run.AddPaths({tree.Path("one")});

  const Texts history = status.History();
  const int stopped = Find(history, 1, StopText(table.GetFileCount()));
  ASSERT_GE(stopped, 0);
  const int checking = Find(history, 1, "重複ファイルのチェックを行います", stopped);
  ASSERT_GT(checking, stopped);
  EXPECT_EQ(history[checking - 1].first, 0);
  EXPECT_FALSE(stop.IsSet()) << "the check clears the stop request before it starts";
  const std::string& last = history.back().second;
  EXPECT_TRUE(last == "重複ファイルは有りません" || last == "重複ファイルは見つかりませんでした" ||
              last.ends_with(" 種類の同一ファイルが見つかりました"))
      << last;
  std::vector<std::string> twice = kRunningThenIdle;
  twice.insert(twice.end(), kRunningThenIdle.begin(), kRunningThenIdle.end());
  EXPECT_EQ(window.changes, twice);
}

TEST_F(RunControlTest, CloseRequestStopsTheBatchAndStartsNothingMore) {
  WriteThree("a");
  WriteThree("a/inner");
  WriteThree("b");
  settings.quickCheck = true;
  Gate& gate = fs.HoldAtListing(tree.Path("a/inner"));
  pump.onDispatch = [this, &gate, done = false]() mutable {
    if (done || !gate.Reached()) return;
    done = true;
    run.RequestClose();
    gate.Open();
  };

  run.AddPaths({tree.Path("a"), tree.Path("b")});

  EXPECT_TRUE(run.CloseRequested());
  EXPECT_FALSE(run.IsRunning());
  EXPECT_EQ(window.changes, kRunningThenIdle) << "no check after the walk";
  const auto messages = status.HistoryOf(1);
  EXPECT_EQ(std::count(messages.begin(), messages.end(), "重複ファイルのチェックを行います"), 0);
  for (const std::string& folder : fs.Listed()) EXPECT_EQ(folder.rfind(tree.Path("a"), 0), 0u);
}

struct Failure {
  const char* name;
  std::exception_ptr inWalk;
  std::exception_ptr inCheck;
  std::string text;
};

class RunControlFailureTest : public RunControlTest, public ::testing::WithParamInterface<Failure> {};

TEST_P(RunControlFailureTest, AJobThatThrowsStillReturnsToIdle) {
  WriteThree("one");
  jobs.walkFault = GetParam().inWalk;
  jobs.checkFault = GetParam().inCheck;
  settings.quickCheck = GetParam().inCheck != nullptr;

  run.AddPaths({tree.Path("one")});

  EXPECT_EQ(run.RunModeNow(), kIdle);
  EXPECT_FALSE(run.IsRunning());
  EXPECT_EQ(window.caption, "調査開始");
  EXPECT_EQ(status.Text(1), GetParam().text);

  jobs.walkFault = nullptr;
  jobs.checkFault = nullptr;
  run.CheckStartClick();
  EXPECT_NE(status.Text(1), GetParam().text) << "the next job runs normally";
}

INSTANTIATE_TEST_SUITE_P(
    , RunControlFailureTest,
    ::testing::Values(
        Failure{"Walk", std::make_exception_ptr(std::runtime_error("walk failed")), nullptr, "walk failed"},
        Failure{"Check", nullptr, std::make_exception_ptr(std::runtime_error("check failed")), "check failed"},
        Failure{"WalkOutOfMemory", std::make_exception_ptr(std::bad_alloc()), nullptr, texts::kOutOfMemory},
        Failure{
            "CheckWithoutThreads", nullptr,
            std::make_exception_ptr(std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again))),
            texts::kOutOfResources + std::make_error_code(std::errc::resource_unavailable_try_again).message()}),
    [](const auto& info) { return std::string(info.param.name); });

// Address-space limits are POSIX's.
#ifndef _WIN32
// Address space for what the process maps already and a little more, but not
// for another thread's stack.
void LeaveNoRoomForAThread() {
  std::ifstream statm("/proc/self/statm");
  unsigned long pages = 0;
  statm >> pages;
  const rlim_t limit = pages * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + (1u << 20);
  const rlimit space{limit, limit};
  ::setrlimit(RLIMIT_AS, &space);
}

// Not with the sanitizers, whose shadow memory no address-space limit allows.
class LowMemory : public RunControlTest {};

TEST_F(LowMemory, AWorkerThatCannotStartLeavesTheWindowUsable) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "address-space limits do not work under the sanitizers";
#endif
  // A fresh process: one that ran threads before keeps their stacks for new ones.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  WriteThree("one");
  EXPECT_EXIT(
      {
        LeaveNoRoomForAThread();
        run.AddPaths({tree.Path("one")});
        const bool told = status.Text(1).rfind(texts::kOutOfResources, 0) == 0;
        std::_Exit(told && !run.IsRunning() && window.caption == "調査開始" ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}
#endif

}  // namespace
}  // namespace kestrilo::testing
