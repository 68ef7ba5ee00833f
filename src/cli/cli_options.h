#pragma once
// The command line of kestrilo-cli.

#include <optional>
#include <string>
#include <vector>

namespace kestrilo::cli {

struct Options {
  std::string filter = "*.*";
  bool sort = true;
  std::optional<std::string> reportFile;
  std::optional<std::string> deleteBelow;
  std::optional<std::string> deleteOnDrive;
  bool yes = false;
  unsigned threads = 0;
  std::vector<std::string> paths;
};

inline constexpr char kUsage[] =
    "usage: kestrilo-cli [--filter WILDCARD] [--no-sort] [--report FILE]\n"
    "                    [--delete-below FOLDER | --delete-on-drive FOLDER] [--yes]\n"
    "                    [--threads N] PATH...\n"
    "  --threads N  reader threads; 0 (the default) is one per core; more than\n"
    "               8 per core or 64 in all are lowered to that bound\n";

// Nothing (after writing the reason to `error`) when the arguments are not
// of that form.
std::optional<Options> ParseOptions(const std::vector<std::string>& arguments, std::string& error);

// `path` made absolute against `cwd`, byte for byte otherwise.
std::string Absolute(const std::string& path, const std::string& cwd);

}  // namespace kestrilo::cli
