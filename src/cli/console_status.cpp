#include "cli/console_status.h"

#include <unistd.h>

namespace kestrilo::cli {

namespace {
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);
}

ConsoleStatus::ConsoleStatus(std::FILE* out) : out_(out), terminal_(::isatty(::fileno(out)) == 1) {}

void ConsoleStatus::SetWalking(bool walking) {
  if (!walking && progressShown_) {
    std::fprintf(out_, "\r%s files\n", lastCount_.c_str());
    progressShown_ = false;
  }
  walking_ = walking;
}

void ConsoleStatus::EndProgressLine() {
  if (!progressShown_) return;
  std::fputs("\r\033[K", out_);
  progressShown_ = false;
}

void ConsoleStatus::SetPanelText(int panel, std::string text) {
  if (walking_ && panel == 0) {
    lastCount_ = std::move(text);
    if (!terminal_) return;
    const auto now = std::chrono::steady_clock::now();
    if (progressShown_ && now - lastDraw_ < kRedrawEvery) return;
    lastDraw_ = now;
    std::fprintf(out_, "\r%s files", lastCount_.c_str());
    std::fflush(out_);
    progressShown_ = true;
    return;
  }
  // An empty text only clears a panel; a console has nothing to clear.
  if (text.empty()) return;
  EndProgressLine();
  std::fprintf(out_, "%s\n", text.c_str());
}

}  // namespace kestrilo::cli
