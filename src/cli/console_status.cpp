#include "cli/console_status.h"

#include "cli/console_platform.h"

namespace kestrilo::cli {

namespace {
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);
}

ConsoleStatus::ConsoleStatus(std::FILE* out) : out_(out), terminal_(IsConsole(out)) {}

void ConsoleStatus::SetWalking(bool walking) {
  if (!walking && progressShown_) {
    WriteText(out_, "\r" + lastCount_ + " files\n");
    progressShown_ = false;
  }
  walking_ = walking;
}

void ConsoleStatus::EndProgressLine() {
  if (!progressShown_) return;
  WriteText(out_, "\r\033[K");
  progressShown_ = false;
}

void ConsoleStatus::SetPanelText(int panel, std::string text) {
  if (walking_ && panel == 0) {
    lastCount_ = std::move(text);
    if (!terminal_) return;
    const auto now = std::chrono::steady_clock::now();
    if (progressShown_ && now - lastDraw_ < kRedrawEvery) return;
    lastDraw_ = now;
    WriteText(out_, "\r" + lastCount_ + " files");
    std::fflush(out_);
    progressShown_ = true;
    return;
  }
  // An empty text only clears a panel; a console has nothing to clear.
  if (text.empty()) return;
  EndProgressLine();
  WriteText(out_, text + "\n");
}

}  // namespace kestrilo::cli
