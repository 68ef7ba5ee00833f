#pragma once
// Dialogs answered from queues set up in advance; every question asked is
// recorded. An empty queue answers Cancel.

#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/dialogs.h"

namespace kestrilo {

class ScriptedDialogs final : public Dialogs {
 public:
  std::deque<bool> answers;
  std::deque<std::optional<std::string>> folders;
  std::deque<std::optional<std::string>> openFiles;
  std::deque<std::optional<std::string>> saveFiles;

  // (text, caption) of every question, in order.
  std::vector<std::pair<std::string, std::string>> asked;
  std::vector<std::string> folderPrompts;
  std::vector<std::string> proposedSaveNames;
  std::string clipboard;

  bool AskOkCancel(const std::string& text, const std::string& caption) override;
  std::optional<std::string> ChooseFolder(const std::string& prompt) override;
  std::optional<std::string> ChooseOpenFile() override;
  std::optional<std::string> ChooseSaveFile(const std::string& proposed) override;
  void SetClipboardText(const std::string& text) override;
};

}  // namespace kestrilo
