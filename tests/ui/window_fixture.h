#pragma once
// The real main window over a temporary tree, with scripted dialogs and a file
// system that can hold the worker at a chosen point.

#include <QFont>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "run/gated_file_system.h"
#include "support/scripted_dialogs.h"
#include "support/temp_tree.h"
#include "ui/main_window.h"
#include "ui/qt_dialogs.h"

namespace kestrilo::testing {

// The scripted dialogs, whose questions can instead be the window's real
// message boxes, for a test that answers them as a user would. Every question
// is recorded in the script's `asked`.
class RoutedDialogs final : public Dialogs {
 public:
  explicit RoutedDialogs(ScriptedDialogs& script) : script_(script) {}
  bool realQuestions = false;

  bool AskOkCancel(const std::string& text, const std::string& caption) override;
  std::optional<std::string> ChooseFolder(const std::string& prompt) override { return script_.ChooseFolder(prompt); }
  std::optional<std::string> ChooseOpenFile() override { return script_.ChooseOpenFile(); }
  std::optional<std::string> ChooseSaveFile(const std::string& proposed) override {
    return script_.ChooseSaveFile(proposed);
  }
  void SetClipboardText(const std::string& text) override { script_.SetClipboardText(text); }

 private:
  ScriptedDialogs& script_;
  QtDialogs boxes_;
};

class WindowFixture {
 public:
  TempTree tree;
  ScriptedDialogs dialogs;
  RoutedDialogs routed{dialogs};
  GatedFileSystem fs;
  // Answers of the font dialog (empty: cancelled) and the fonts it offered.
  std::deque<std::optional<QFont>> fontAnswers;
  std::vector<QFont> fontsOffered;
  TForm1 form;
  // Whether the window was shown on the (offscreen) screen.
  bool exposed = false;

  WindowFixture();
  ~WindowFixture();

  QString Panel(int panel) const;
  // Text of a grid cell as the view shows it; view row 0 is grid row 1.
  QString Cell(int column, int viewRow) const;
  int ViewRows() const;

  // Two identical files and one other in `folder`; returns the folder's path.
  std::string WriteThree(const std::string& folder);
  // Adds `folder` through the folder chooser.
  void AddFolder(const std::string& folder);

  // Drags the local `paths` onto the window and drops them; false when the
  // window refused the drag. The command the drop starts has run on return.
  bool Drop(const std::vector<std::string>& paths);
  // The same drop as the window system delivers it to the window, over the
  // middle of `target`; whether the drop was taken.
  bool DropOver(QWidget* target, const std::vector<std::string>& paths);

  // Whether each control of the running state is enabled, in a fixed order.
  std::vector<bool> RunningStateControls() const;
};

// Answers every message box that opens from now on with `key`, pressed on the
// box's window as soon as the box is shown.
class BoxAnswerer {
 public:
  explicit BoxAnswerer(Qt::Key key);
  int Answered() const { return answered_; }

 private:
  QTimer timer_;
  int answered_ = 0;
};

// Runs `action` on the window thread as soon as the worker waits at `gate`
// (the window is then inside its waiting loop), then lets the worker go on.
class AtGate {
 public:
  AtGate(Gate& gate, std::function<void()> action);
  bool Done() const { return done_; }

 private:
  QTimer timer_;
  bool done_ = false;
};

}  // namespace kestrilo::testing
