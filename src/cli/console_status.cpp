#include "cli/console_status.h"

#include <array>
#include <charconv>

#include "cli/console_platform.h"

namespace kestrilo::cli {

namespace {
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);
}

std::string HumanBytes(std::uint64_t bytes) {
  static constexpr std::array<const char*, 5> kUnits{"KiB", "MiB", "GiB", "TiB", "PiB"};
  if (bytes < 1024) return std::to_string(bytes) + " B";
  double value = static_cast<double>(bytes) / 1024;
  std::size_t unit = 0;
  while (value >= 1024 && unit + 1 < kUnits.size()) {
    value /= 1024;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
  return text;
}

ConsoleStatus::ConsoleStatus(std::FILE* out) : ConsoleStatus(out, IsConsole(out)) {}

ConsoleStatus::ConsoleStatus(std::FILE* out, bool terminal) : out_(out), terminal_(terminal) {}

void ConsoleStatus::SetWalking(bool walking) {
  if (walking) walkStart_ = std::chrono::steady_clock::now();
  if (!walking && progressShown_) {
    WriteText(out_, "\r\033[K" + lastCount_ + " files\n");
    progressShown_ = false;
  }
  walking_ = walking;
}

void ConsoleStatus::SetComparing(bool comparing) {
  if (!comparing && progressShown_) {
    WriteText(out_, "\r\033[K" + ProgressText() + "\n");
    progressShown_ = false;
  }
  comparing_ = comparing;
  bytesCompared_ = bytesToCompare_ = 0;
  lastCount_.clear();
}

void ConsoleStatus::SetCompared(std::uint64_t bytesCompared, std::uint64_t bytesToCompare) {
  bytesCompared_ = bytesCompared;
  bytesToCompare_ = bytesToCompare;
  DrawProgress(false);
}

std::string ConsoleStatus::ProgressText() const {
  if (walking_) {
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - walkStart_).count();
    std::uint64_t files = 0;
    std::from_chars(lastCount_.data(), lastCount_.data() + lastCount_.size(), files);
    const auto rate = seconds > 0 ? static_cast<std::uint64_t>(static_cast<double>(files) / seconds) : 0;
    return lastCount_ + " files, " + std::to_string(rate) + " files/s";
  }
  std::string text = HumanBytes(bytesCompared_) + " of " + HumanBytes(bytesToCompare_) + " compared";
  if (!lastCount_.empty()) text = lastCount_ + ", " + text;
  return text;
}

void ConsoleStatus::DrawProgress(bool always) {
  if (!terminal_) return;
  const auto now = std::chrono::steady_clock::now();
  if (!always && progressShown_ && now - lastDraw_ < kRedrawEvery) return;
  lastDraw_ = now;
  WriteText(out_, "\r\033[K" + ProgressText());
  std::fflush(out_);
  progressShown_ = true;
}

void ConsoleStatus::EndProgressLine() {
  if (!progressShown_) return;
  WriteText(out_, "\r\033[K");
  progressShown_ = false;
}

void ConsoleStatus::SetPanelText(int panel, std::string text) {
  if (walking_ && panel == 0) {
    lastCount_ = std::move(text);
    DrawProgress(false);
    return;
  }
  if (comparing_ && panel == 0 && terminal_) {
    // The group counter rides on the progress line; its last value stays
    // when the line is closed.
    lastCount_ = std::move(text);
    DrawProgress(false);
    return;
  }
  // An empty text only clears a panel; a console has nothing to clear.
  if (text.empty()) return;
  const bool redraw = progressShown_;
  EndProgressLine();
  WriteText(out_, text + "\n");
  if (redraw) DrawProgress(true);
}

}  // namespace kestrilo::cli
