#include "ui/window_status_panels.h"

#include "ui/display_text.h"

namespace kestrilo {

void WindowStatusPanels::Attach(QLabel* panel0, QLabel* panel1) {
  labels_[0] = panel0;
  labels_[1] = panel1;
  TakeWindowThread();
}

void WindowStatusPanels::Show(int panel, const std::string& text) {
  if (labels_[panel] == nullptr) return;
  const QString shown = DisplayText(text);
  labels_[panel]->setText(shown);
  // A panel cuts a long text at its edge; the tooltip holds all of it.
  labels_[panel]->setToolTip(ToolTipText(shown));
}

}  // namespace kestrilo
