#include "cli/console_platform.h"

#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace kestrilo::cli {

namespace {

void (*interruptCall)() = nullptr;

extern "C" void OnSignal(int) { interruptCall(); }

}  // namespace

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

std::string CurrentFolder() {
  std::vector<char> buffer(4096);
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return "/";
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

void CallOnInterrupt(void (*onInterrupt)()) {
  interruptCall = onInterrupt;
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

int ReportOutput() { return STDOUT_FILENO; }

bool IsConsole(std::FILE* out) { return ::isatty(::fileno(out)) == 1; }

void WriteText(std::FILE* out, std::string_view text) { std::fwrite(text.data(), 1, text.size(), out); }

}  // namespace kestrilo::cli
