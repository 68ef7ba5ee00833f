#pragma once
// Dialogs for the command line's deletion, which has put its one question on
// the terminal before the pass: anything asked here is declined.

#include <optional>
#include <string>

#include "toolkit/dialogs.h"

namespace kestrilo::cli {

class NoQuestions final : public Dialogs {
 public:
  bool AskOkCancel(const std::string&, const std::string&) override { return false; }
  std::optional<std::string> ChooseFolder(const std::string&) override { return std::nullopt; }
  std::optional<std::string> ChooseOpenFile() override { return std::nullopt; }
  std::optional<std::string> ChooseSaveFile(const std::string&) override { return std::nullopt; }
  void SetClipboardText(const std::string&) override {}
};

}  // namespace kestrilo::cli
