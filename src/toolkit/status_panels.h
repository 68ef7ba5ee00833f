#pragma once
// The two status panels: 0 shows counts, 1 shows the current message. A text
// replaces the panel's whole text; texts are never read back by the jobs.
// SetPanelText may be called from the worker thread; implementations keep the
// order of texts and may coalesce intermediate ones.

#include <string>

namespace kestrilo {

class StatusPanels {
 public:
  virtual ~StatusPanels() = default;
  virtual void SetPanelText(int panel, std::string text) = 0;
};

}  // namespace kestrilo
