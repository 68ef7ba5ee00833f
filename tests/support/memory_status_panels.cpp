#include "support/memory_status_panels.h"

namespace kestrilo {

void MemoryStatusPanels::SetPanelText(int panel, std::string text) {
  if (panel < 0 || panel > 1) return;
  std::lock_guard lock(mutex_);
  if (keepHistory_) history_.emplace_back(panel, text);
  texts_[panel] = std::move(text);
}

std::string MemoryStatusPanels::Text(int panel) const {
  if (panel < 0 || panel > 1) return {};
  std::lock_guard lock(mutex_);
  return texts_[panel];
}

std::vector<std::pair<int, std::string>> MemoryStatusPanels::History() const {
  std::lock_guard lock(mutex_);
  return history_;
}

std::vector<std::string> MemoryStatusPanels::HistoryOf(int panel) const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> texts;
  for (const auto& [p, text] : history_) {
    if (p == panel) texts.push_back(text);
  }
  return texts;
}

void MemoryStatusPanels::ClearHistory() {
  std::lock_guard lock(mutex_);
  history_.clear();
}

}  // namespace kestrilo
