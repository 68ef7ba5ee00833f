#pragma once
// The status bar's two panels, shown in the window's labels.

#include <QLabel>
#include <string>

#include "toolkit/coalesced_status_panels.h"

namespace kestrilo {

class WindowStatusPanels final : public CoalescedStatusPanels {
 public:
  // The labels stay the window's; they must outlive every later call. The
  // calling thread becomes the window thread.
  void Attach(QLabel* panel0, QLabel* panel1);

 private:
  void Show(int panel, const std::string& text) override;

  QLabel* labels_[2] = {nullptr, nullptr};
};

}  // namespace kestrilo
