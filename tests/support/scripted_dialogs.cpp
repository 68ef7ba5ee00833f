#include "support/scripted_dialogs.h"

namespace kestrilo {

namespace {
template <typename T>
T PopOr(std::deque<T>& queue, T fallback) {
  if (queue.empty()) return fallback;
  T value = std::move(queue.front());
  queue.pop_front();
  return value;
}
}  // namespace

bool ScriptedDialogs::AskOkCancel(const std::string& text, const std::string& caption) {
  asked.emplace_back(text, caption);
  return PopOr(answers, false);
}

std::optional<std::string> ScriptedDialogs::ChooseFolder(const std::string& prompt) {
  folderPrompts.push_back(prompt);
  return PopOr(folders, std::optional<std::string>{});
}

std::optional<std::string> ScriptedDialogs::ChooseOpenFile() { return PopOr(openFiles, std::optional<std::string>{}); }

std::optional<std::string> ScriptedDialogs::ChooseSaveFile(const std::string& proposed) {
  proposedSaveNames.push_back(proposed);
  return PopOr(saveFiles, std::optional<std::string>{});
}

void ScriptedDialogs::SetClipboardText(const std::string& text) { clipboard = text; }

}  // namespace kestrilo
