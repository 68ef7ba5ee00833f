#pragma once
// The real Win32 main window over a temporary tree, driven by its messages:
// questions and choosers answered from a script, the clipboard the system's,
// and a file system that can hold the worker at a chosen point.

#include <windows.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "run/gated_file_system.h"
#include "support/scripted_dialogs.h"
#include "support/temp_tree.h"
#include "win32/main_window.h"
#include "win32/win32_dialogs.h"

namespace kestrilo::testing {

// The script's answers, and the system's clipboard.
class TestDialogs final : public Dialogs {
 public:
  ScriptedDialogs script;
  win32::Win32Dialogs system;

  bool AskOkCancel(const std::string& text, const std::string& caption) override {
    return script.AskOkCancel(text, caption);
  }
  std::optional<std::string> ChooseFolder(const std::string& prompt) override { return script.ChooseFolder(prompt); }
  std::optional<std::string> ChooseOpenFile() override { return script.ChooseOpenFile(); }
  std::optional<std::string> ChooseSaveFile(const std::string& proposed) override {
    return script.ChooseSaveFile(proposed);
  }
  void SetClipboardText(const std::string& text) override { system.SetClipboardText(text); }
};

class Win32WindowTest : public ::testing::Test {
 protected:
  Win32WindowTest();

  TempTree tree;
  TestDialogs dialogs;
  GatedFileSystem fs;
  win32::TForm1 form;

  // Dispatches what is queued for the window thread; a command that a
  // message starts has run to its end on return.
  void Pump();
  // Posts a message to `target` and dispatches it.
  void Post(HWND target, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  void Click(HWND button) { Post(button, BM_CLICK); }
  void Command(int id) { Post(form.Handle(), WM_COMMAND, static_cast<WPARAM>(id)); }
  // Drops `paths` on the window as the shell does (WM_DROPFILES).
  void Drop(const std::vector<std::string>& paths);
  // A left click on a data row of the grid (1 is the first).
  void ClickGridRow(int row);

  std::string Panel(int panel) const;
  std::string Caption(HWND control) const;
  // Whether each control and menu of the running state is enabled, in a
  // fixed order (the three menus, then the controls).
  std::vector<bool> RunningStateControls() const;
  // The texts of the grid's data rows, column by column.
  std::vector<GridRow> DataRows() const;
  std::string ClipboardText() const;

  // Two identical files a.txt and b.txt and a different c.txt in `folder`;
  // returns the folder's path.
  std::string WriteThree(const std::string& folder);
  // Adds `folder` through the "フォルダを追加" button.
  void AddFolder(const std::string& folder);
};

// Runs `action` on the window thread as soon as the worker waits at `gate`
// (the window is then inside its waiting loop), then lets the worker go on.
class AtGate {
 public:
  AtGate(Gate& gate, std::function<void()> action);
  ~AtGate();
  AtGate(const AtGate&) = delete;
  AtGate& operator=(const AtGate&) = delete;
  bool Done() const { return done_; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);

  Gate& gate_;
  std::function<void()> action_;
  bool done_ = false;
  UINT_PTR timer_ = 0;
};

}  // namespace kestrilo::testing
