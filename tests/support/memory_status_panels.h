#pragma once
// Status panels held in memory: the latest text of each panel, and optionally
// every text in the order it was set (for tests and benchmarks).

#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/status_panels.h"

namespace kestrilo {

class MemoryStatusPanels final : public StatusPanels {
 public:
  explicit MemoryStatusPanels(bool keepHistory = true) : keepHistory_(keepHistory) {}

  void SetPanelText(int panel, std::string text) override;

  std::string Text(int panel) const;
  // (panel, text) pairs in the order they were set.
  std::vector<std::pair<int, std::string>> History() const;
  // Texts of one panel in the order they were set.
  std::vector<std::string> HistoryOf(int panel) const;
  void ClearHistory();

 private:
  bool keepHistory_;
  mutable std::mutex mutex_;
  std::string texts_[2];
  std::vector<std::pair<int, std::string>> history_;
};

}  // namespace kestrilo
