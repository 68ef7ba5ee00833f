#pragma once
// What kestrilo-cli needs of the system it runs on: its arguments and current
// folder as the engine's texts, the interrupt (Ctrl-C) and the console.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace kestrilo::cli {

// The arguments after the program's name. On Windows they come from the wide
// command line, so that every name arrives whole as UTF-8.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

std::string CurrentFolder();

// Calls `onInterrupt` (which must only set flags) on Ctrl-C and on a request
// to end the program.
void CallOnInterrupt(void (*onInterrupt)());

// The descriptor of standard output, set up to take the report's bytes
// unchanged.
int ReportOutput();

// True when `out` is a terminal or console.
bool IsConsole(std::FILE* out);

// Writes `text` to `out`; to a Windows console as UTF-16, so that Japanese
// texts are readable whatever its code page, and as bytes anywhere else.
void WriteText(std::FILE* out, std::string_view text);

}  // namespace kestrilo::cli
