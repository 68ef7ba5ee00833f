#include "cli/console_platform.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <fcntl.h>
#include <io.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <csignal>

#include "platform/wide_text.h"
#include "platform/win32_paths.h"

namespace kestrilo::cli {

namespace {

void (*stopCall)(int) = nullptr;

BOOL WINAPI OnConsoleEvent(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
      stopCall(SIGINT);
      return TRUE;
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
      stopCall(SIGTERM);
      return TRUE;
    default:
      return FALSE;
  }
}

HANDLE ConsoleOf(std::FILE* out) {
  const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(out)));
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode) ? handle : nullptr;
}

}  // namespace

std::vector<std::string> CommandLineArguments(int, char**) {
  std::vector<std::string> arguments;
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr) return arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(Utf8OfWide(wide[i]));
  ::LocalFree(wide);
  return arguments;
}

std::string CurrentFolder() {
  const DWORD length = ::GetCurrentDirectoryW(0, nullptr);
  std::wstring folder(length, L'\0');
  const DWORD written = ::GetCurrentDirectoryW(length, folder.data());
  if (written == 0 || written >= length) return std::string();
  folder.resize(written);
  return Utf8OfWide(folder);
}

void CallOnStop(void (*onStop)(int signal)) {
  stopCall = onStop;
  ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

int ReportOutput() {
  // The report brings its own line ends and encoding.
  ::_setmode(1, _O_BINARY);
  return 1;
}

bool IsConsole(std::FILE* out) { return ConsoleOf(out) != nullptr; }

void WriteText(std::FILE* out, std::string_view text) {
  const HANDLE console = ConsoleOf(out);
  const auto wide = console != nullptr ? WidenUtf8(text) : std::nullopt;
  if (!wide) {
    std::fwrite(text.data(), 1, text.size(), out);
    return;
  }
  std::fflush(out);
  DWORD written = 0;
  ::WriteConsoleW(console, wide->data(), static_cast<DWORD>(wide->size()), &written, nullptr);
}

}  // namespace kestrilo::cli
