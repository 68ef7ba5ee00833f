#pragma once
// The command line of kestrilo-cli.

#include <optional>
#include <string>
#include <vector>

#include "cli/output_format.h"

namespace kestrilo::cli {

struct Options {
  std::string filter = "*.*";
  bool sort = true;
  std::optional<std::string> reportFile;
  std::optional<std::string> deleteBelow;
  std::optional<std::string> deleteOnDrive;
  bool yes = false;
  unsigned threads = 0;
  OutputFormat format = OutputFormat::Report;
  bool dryRun = false;
  bool help = false;
  bool version = false;
  std::vector<std::string> paths;
};

inline constexpr char kUsage[] =
    "usage: kestrilo-cli [--filter WILDCARD] [--no-sort] [--format report|fdupes|json]\n"
    "                    [--report FILE] [--delete-below FOLDER | --delete-on-drive FOLDER]\n"
    "                    [--yes] [--dry-run] [--threads N] PATH...\n"
    "       kestrilo-cli --help | --version\n";

// Nothing (after writing the reason to `error`) when the arguments are not
// of that form. With --help or --version no PATH is needed.
std::optional<Options> ParseOptions(const std::vector<std::string>& arguments, std::string& error);

// `path` made absolute against `cwd`, byte for byte otherwise.
std::string Absolute(const std::string& path, const std::string& cwd);

}  // namespace kestrilo::cli
