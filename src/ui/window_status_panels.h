#pragma once
// The status bar's two panels as the jobs and commands write them. A text set
// on the window thread shows at once; a text set by the worker is kept as the
// panel's latest and shown by the next Flush, so a walk that reports every
// file costs one short lock per text, whatever the repaint rate.

#include <QLabel>
#include <QThread>

#include <mutex>
#include <optional>
#include <string>

#include "toolkit/status_panels.h"

namespace kestrilo {

class WindowStatusPanels final : public StatusPanels {
 public:
  // The labels stay the window's; they must outlive every later call.
  void Attach(QLabel* panel0, QLabel* panel1);

  // Any thread.
  void SetPanelText(int panel, std::string text) override;

  // Window thread: shows the latest text the worker set on each panel.
  void Flush();

 private:
  void Show(int panel, const std::string& text);

  std::mutex mutex_;
  std::optional<std::string> pending_[2];
  QLabel* labels_[2] = {nullptr, nullptr};
  QThread* windowThread_ = nullptr;
};

}  // namespace kestrilo
