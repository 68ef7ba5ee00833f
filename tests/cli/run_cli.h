#pragma once
// Runs the built kestrilo-cli through the shell, standard input from
// /dev/null; its standard output (after `filter`, a shell pipeline, when
// given) and its exit status.

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace kestrilo::testing {

struct CliOutcome {
  int status = -1;
  std::string out;
};

// `text` as one shell word.
inline std::string Quoted(const std::string& text) {
  std::string word = "'";
  for (const char c : text) word += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return word + "'";
}

// Runs `command` through bash and collects its standard output and status.
inline CliOutcome RunShellCommand(const std::string& command) {
  CliOutcome run;
  FILE* pipe = ::popen(("bash -c " + Quoted(command)).c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, got);
  const int status = ::pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

inline CliOutcome RunCliThrough(const std::string& arguments, const std::string& filter = "") {
  std::string command = std::string(KESTRILO_CLI) + " " + arguments + " 2>/dev/null </dev/null";
  if (!filter.empty()) command = "set -o pipefail; " + command + " | " + filter;
  return RunShellCommand(command);
}

}  // namespace kestrilo::testing
