#include "cli/cli_options.h"

#include <charconv>
#include <utility>

#include "platform/path_text.h"
#ifdef _WIN32
#include "platform/win32_paths.h"
#endif

namespace kestrilo::cli {

std::optional<Options> ParseOptions(const std::vector<std::string>& arguments, std::string& error) {
  Options options;
  bool onlyPaths = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& arg = arguments[i];
    auto value = [&](const char* name) -> std::optional<std::string> {
      if (i + 1 >= arguments.size()) {
        error = std::string(name) + " needs a value";
        return std::nullopt;
      }
      return arguments[++i];
    };
    if (onlyPaths || arg.empty() || arg[0] != '-' || arg == "-") {
      options.paths.push_back(arg);
    } else if (arg == "--") {
      onlyPaths = true;
    } else if (arg == "--filter") {
      auto v = value("--filter");
      if (!v) return std::nullopt;
      options.filter = *v;
    } else if (arg == "--no-sort") {
      options.sort = false;
    } else if (arg == "--report") {
      if (!(options.reportFile = value("--report"))) return std::nullopt;
    } else if (arg == "--delete-below") {
      if (!(options.deleteBelow = value("--delete-below"))) return std::nullopt;
    } else if (arg == "--delete-on-drive") {
      if (!(options.deleteOnDrive = value("--delete-on-drive"))) return std::nullopt;
    } else if (arg == "--format") {
      auto v = value("--format");
      if (!v) return std::nullopt;
      const auto format = ParseOutputFormat(*v);
      if (!format) {
        error = "--format needs report, fdupes or json";
        return std::nullopt;
      }
      options.format = *format;
    } else if (arg == "--dry-run") {
      options.dryRun = true;
    } else if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--version" || arg == "-V") {
      options.version = true;
    } else if (arg == "--yes") {
      options.yes = true;
    } else if (arg == "--threads") {
      auto v = value("--threads");
      if (!v) return std::nullopt;
      const auto [end, ec] = std::from_chars(v->data(), v->data() + v->size(), options.threads);
      if (ec != std::errc() || end != v->data() + v->size()) {
        error = "--threads needs a whole number";
        return std::nullopt;
      }
    } else {
      error = "unknown option " + arg;
      return std::nullopt;
    }
  }
  if (options.help || options.version) return options;
  if (options.paths.empty()) {
    error = "no PATH given";
    return std::nullopt;
  }
  // An empty text is what an unset shell variable gives; taken as the current
  // folder, it would walk or delete where nobody meant to.
  for (const auto& path : options.paths) {
    if (path.empty()) {
      error = "an empty PATH is not a folder";
      return std::nullopt;
    }
  }
  for (const auto& [name, given] :
       {std::pair{"--delete-below", &options.deleteBelow}, std::pair{"--delete-on-drive", &options.deleteOnDrive},
        std::pair{"--report", &options.reportFile}}) {
    if (*given && (*given)->empty()) {
      error = std::string(name) + " needs a non-empty value";
      return std::nullopt;
    }
  }
  if (options.deleteBelow && options.deleteOnDrive) {
    error = "--delete-below and --delete-on-drive exclude each other";
    return std::nullopt;
  }
  if (options.dryRun && !options.deleteBelow && !options.deleteOnDrive) {
    error = "--dry-run needs --delete-below or --delete-on-drive";
    return std::nullopt;
  }
  return options;
}

std::string Absolute(const std::string& path, const std::string& cwd) {
  std::string absolute = IsAbsolutePath(path) ? path : WithTrailingSeparator(cwd) + path;
#ifdef _WIN32
  // "." and "..", and `/` for `\`, resolved the way Windows programs do.
  return FullPathOf(absolute);
#else
  return absolute;
#endif
}

}  // namespace kestrilo::cli
