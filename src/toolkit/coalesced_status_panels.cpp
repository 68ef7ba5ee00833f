#include "toolkit/coalesced_status_panels.h"

#include <utility>

namespace kestrilo {

void CoalescedStatusPanels::SetPanelText(int panel, std::string text) {
  if (panel != 0 && panel != 1) return;
  if (std::this_thread::get_id() != windowThread_) {
    std::lock_guard lock(mutex_);
    pending_[panel] = std::move(text);
    return;
  }
  // A worker's text still waiting for this panel is older than this one; the
  // other panel's is shown first so that both panels are current.
  std::optional<std::string> other;
  {
    std::lock_guard lock(mutex_);
    pending_[panel].reset();
    other.swap(pending_[1 - panel]);
  }
  if (other) Show(1 - panel, *other);
  Show(panel, text);
}

void CoalescedStatusPanels::Flush() {
  std::optional<std::string> latest[2];
  {
    std::lock_guard lock(mutex_);
    latest[0].swap(pending_[0]);
    latest[1].swap(pending_[1]);
  }
  for (int panel = 0; panel < 2; ++panel) {
    if (latest[panel]) Show(panel, *latest[panel]);
  }
}

}  // namespace kestrilo
