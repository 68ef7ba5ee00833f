#include "ui/window_status_panels.h"

#include <utility>

#include "ui/display_text.h"

namespace kestrilo {

void WindowStatusPanels::Attach(QLabel* panel0, QLabel* panel1) {
  labels_[0] = panel0;
  labels_[1] = panel1;
  windowThread_ = panel0->thread();
}

void WindowStatusPanels::SetPanelText(int panel, std::string text) {
  if (panel != 0 && panel != 1) return;
  if (QThread::currentThread() != windowThread_) {
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

void WindowStatusPanels::Flush() {
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

void WindowStatusPanels::Show(int panel, const std::string& text) {
  if (labels_[panel] == nullptr) return;
  const QString shown = DisplayText(text);
  labels_[panel]->setText(shown);
  // A panel cuts a long text at its edge; the tooltip holds all of it.
  labels_[panel]->setToolTip(ToolTipText(shown));
}

}  // namespace kestrilo
