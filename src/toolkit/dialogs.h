#pragma once
// The questions and choosers the commands put to the user, and the clipboard.
// The window answers them with real dialogs; tests and the command line answer
// them from a script.

#include <optional>
#include <string>

namespace kestrilo {

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // A modal box with OK and Cancel and no icon; true only for OK.
  virtual bool AskOkCancel(const std::string& text, const std::string& caption) = 0;
  // The folder chooser with `prompt`; nothing when cancelled.
  virtual std::optional<std::string> ChooseFolder(const std::string& prompt) = 0;
  // The file-open dialog (one file); nothing when cancelled.
  virtual std::optional<std::string> ChooseOpenFile() = 0;
  // The save dialog offering `proposed`; nothing when cancelled.
  virtual std::optional<std::string> ChooseSaveFile(const std::string& proposed) = 0;
  // Replaces the clipboard's content with `text`.
  virtual void SetClipboardText(const std::string& text) = 0;
};

}  // namespace kestrilo
