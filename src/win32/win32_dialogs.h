#pragma once
// The questions, choosers and the clipboard of the Win32 window: MessageBoxW,
// the shell's folder chooser, the common open and save dialogs.

#include <windows.h>

#include <string>

#include "toolkit/dialogs.h"

namespace kestrilo::win32 {

class Win32Dialogs final : public Dialogs {
 public:
  // The window that owns every box and dialog.
  void SetOwner(HWND owner) { owner_ = owner; }

  bool AskOkCancel(const std::string& text, const std::string& caption) override;
  std::optional<std::string> ChooseFolder(const std::string& prompt) override;
  std::optional<std::string> ChooseOpenFile() override;
  std::optional<std::string> ChooseSaveFile(const std::string& proposed) override;
  void SetClipboardText(const std::string& text) override;

 private:
  HWND owner_ = nullptr;
  // The folder chooser opens on the folder chosen last.
  std::wstring lastFolder_;
};

}  // namespace kestrilo::win32
