#pragma once
// Status panels on a console: every text on a line of its own on standard
// error, except what belongs on the live progress line of a terminal: while
// walking, the per-file count with the files per second; while comparing, the
// bytes compared against the bytes to compare. On anything but a terminal the
// progress line is left out. Called from the job's thread only.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

#include "toolkit/status_panels.h"

namespace kestrilo::cli {

class ConsoleStatus final : public StatusPanels {
 public:
  explicit ConsoleStatus(std::FILE* out);
  // `terminal` says whether `out` takes a live line.
  ConsoleStatus(std::FILE* out, bool terminal);

  // While walking, panel 0 carries the per-file count.
  void SetWalking(bool walking);
  // While comparing, the progress of the comparison.
  void SetComparing(bool comparing);
  void SetCompared(std::uint64_t bytesCompared, std::uint64_t bytesToCompare);
  void SetPanelText(int panel, std::string text) override;

 private:
  void DrawProgress(bool always);
  void EndProgressLine();
  std::string ProgressText() const;

  std::FILE* out_;
  bool terminal_;
  bool walking_ = false;
  bool comparing_ = false;
  bool progressShown_ = false;
  std::string lastCount_;
  std::uint64_t bytesCompared_ = 0;
  std::uint64_t bytesToCompare_ = 0;
  std::chrono::steady_clock::time_point walkStart_{};
  std::chrono::steady_clock::time_point lastDraw_{};
};

// "12.3 MiB" and the like: bytes for people, one decimal from KiB up.
std::string HumanBytes(std::uint64_t bytes);

}  // namespace kestrilo::cli
