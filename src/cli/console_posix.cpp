#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "cli/console_platform.h"

namespace kestrilo::cli {

namespace {

void (*stopCall)(int) = nullptr;

extern "C" void OnSignal(int signal) { stopCall(signal); }

}  // namespace

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

std::string CurrentFolder() {
  std::vector<char> buffer(4096);
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return "";
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

void CallOnStop(void (*onStop)(int signal)) {
  stopCall = onStop;
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  sigaddset(&action.sa_mask, SIGINT);
  sigaddset(&action.sa_mask, SIGTERM);
  // No SA_RESTART: a read of the answer to the deletion question ends.
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

int ReportOutput() { return STDOUT_FILENO; }

bool IsConsole(std::FILE* out) { return ::isatty(::fileno(out)) == 1; }

void WriteText(std::FILE* out, std::string_view text) { std::fwrite(text.data(), 1, text.size(), out); }

}  // namespace kestrilo::cli
