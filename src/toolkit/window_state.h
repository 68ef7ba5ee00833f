#pragma once
// What run control changes on the main window when a job starts and ends: the
// controls that start jobs or change the collected data, and the caption of
// the start button, which is also the start/stop state its click reads.

#include <string>

namespace kestrilo {

// The three menus first, then the controls of the command bar and the grid.
enum class WindowControl { File1, Show1, Help1, FileAdd, FilterText, QuickCheck, InitInfo, StringGrid1, SortFlag };

class WindowState {
 public:
  virtual ~WindowState() = default;
  virtual void SetControlEnabled(WindowControl control, bool enabled) = 0;
  virtual void SetCheckStartCaption(const std::string& caption) = 0;
  virtual std::string CheckStartCaption() const = 0;
};

}  // namespace kestrilo
