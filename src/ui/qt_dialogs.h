#pragma once
// The questions, choosers and clipboard of the window, with Qt's dialogs.

#include <QString>
#include <QWidget>

#include "toolkit/dialogs.h"

namespace kestrilo {

class QtDialogs final : public Dialogs {
 public:
  QtDialogs();
  // Dialogs open over `owner` once it is set.
  void SetOwner(QWidget* owner) { owner_ = owner; }

  bool AskOkCancel(const std::string& text, const std::string& caption) override;
  std::optional<std::string> ChooseFolder(const std::string& prompt) override;
  std::optional<std::string> ChooseOpenFile() override;
  std::optional<std::string> ChooseSaveFile(const std::string& proposed) override;
  void SetClipboardText(const std::string& text) override;

 private:
  QWidget* owner_ = nullptr;
  // The folder chooser opens in the folder the user chose last, at first in
  // the home folder.
  QString lastFolder_;
};

}  // namespace kestrilo
