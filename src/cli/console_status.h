#pragma once
// Status panels on a console: every text on a line of its own on standard
// error, except the walk's per-file count, which is a live progress line on a
// terminal and nothing otherwise. Called from the job's thread only.

#include <chrono>
#include <cstdio>
#include <string>

#include "toolkit/status_panels.h"

namespace kestrilo::cli {

class ConsoleStatus final : public StatusPanels {
 public:
  explicit ConsoleStatus(std::FILE* out);

  // While walking, panel 0 carries the per-file count.
  void SetWalking(bool walking);
  void SetPanelText(int panel, std::string text) override;

 private:
  void EndProgressLine();

  std::FILE* out_;
  bool terminal_;
  bool walking_ = false;
  bool progressShown_ = false;
  std::string lastCount_;
  std::chrono::steady_clock::time_point lastDraw_{};
};

}  // namespace kestrilo::cli
