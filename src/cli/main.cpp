// kestrilo-cli: the duplicate check for scripts, servers and benchmarks.
// Walks each PATH in order as one batch, runs one duplicate check and writes
// the numbered rows as report lines; optionally deletes the duplicates below a
// folder or on a file system, never a group's last file.

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "check/duplicate_engine.h"
#include "check/report.h"
#include "cli/cli_options.h"
#include "cli/console_platform.h"
#include "cli/console_status.h"
#include "cli/dry_run.h"
#include "cli/help_text.h"
#include "cli/output_format.h"
#include "cli/stop_signals.h"
#include "delete/duplicate_deletion.h"
#include "platform/file_system.h"
#include "platform/path_text.h"
#include "run/job_failure.h"
#include "run/run_texts.h"
#include "store/signature_table.h"
#include "toolkit/memory_grid.h"
#include "version/version.h"

namespace {

constexpr int kExitDone = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

kestrilo::StopRequest stopRequest;

// The exit status of a run that a signal stopped.
int Interrupted() { return 128 + kestrilo::cli::StopSignal(); }

bool ConfirmOnTerminal(const std::string& question) {
  kestrilo::cli::WriteText(stderr, question + " [y/N] ");
  std::fflush(stderr);
  std::string answer;
  if (!std::getline(std::cin, answer)) return false;
  return answer == "y" || answer == "Y" || answer == "yes";
}

// Everything but the signal handlers and the last resort for exceptions.
int Run(int argc, char** argv) {
  using namespace kestrilo;
  std::string error;
  const auto options = cli::ParseOptions(cli::CommandLineArguments(argc, argv), error);
  if (!options) {
    std::cerr << "kestrilo-cli: " << error << "\n" << cli::kUsage;
    return kExitUsage;
  }
  if (options->help || options->version) {
    std::cout << (options->help ? std::string(cli::kHelp) : std::string("kestrilo-cli ") + kVersion + "\n");
    return kExitDone;
  }

  SignatureTable table;
  MemoryGrid grid;
  cli::ConsoleStatus status(stderr);
  MemoryJobSettings settings;
  settings.filterText = options->filter;
  settings.sortFlag = options->sort;
  FileSystem& fs = SystemFileSystem();
  DuplicateEngine engine(table, grid, status, settings, stopRequest, fs);
  engine.SetReaderThreads(options->threads);
  engine.SetCompareProgress([&status](std::uint64_t done, std::uint64_t total) { status.SetCompared(done, total); });

  const std::string cwd = cli::CurrentFolder();
  if (cwd.empty()) {
    // A relative path must not be taken relative to some other folder.
    const auto relative = [](const std::optional<std::string>& path) { return path && !IsAbsolutePath(*path); };
    const bool needed = std::any_of(options->paths.begin(), options->paths.end(),
                                    [&](const std::string& path) { return relative(path); }) ||
                        relative(options->deleteBelow) || relative(options->deleteOnDrive) ||
                        relative(options->reportFile);
    if (needed) {
      std::cerr << "kestrilo-cli: cannot tell the current folder for a relative path\n";
      return kExitFailure;
    }
  }
  status.SetPanelText(1, texts::kSearching);
  status.SetWalking(true);
  for (const auto& path : options->paths) engine.GetFiles(cli::Absolute(path, cwd));
  status.SetWalking(false);
  if (stopRequest.IsSet()) {
    status.SetPanelText(1, texts::kStoppedBefore + std::to_string(table.GetFileCount()) + texts::kStoppedAfter);
    return Interrupted();
  }
  status.SetPanelText(0, std::to_string(table.GetFileCount()));

  status.SetPanelText(1, texts::kChecking);
  if (engine.TakeOutCheckFiles() == 0) {
    status.SetPanelText(1, texts::kNoCandidates);
  } else {
    status.SetComparing(true);
    engine.CheckFiles();
    status.SetComparing(false);
  }
  if (stopRequest.IsSet()) return Interrupted();

  if (options->deleteBelow || options->deleteOnDrive) {
    const bool below = options->deleteBelow.has_value();
    const std::string folder = cli::Absolute(below ? *options->deleteBelow : *options->deleteOnDrive, cwd);
    const std::string question = below ? "Delete every duplicate below " + folder + "?"
                                       : "Delete every duplicate on the file system of " + folder + "?";
    if (options->dryRun) {
      const auto wouldGo = cli::DryRunDeletion(grid, fs, engine, status, folder, !below, stopRequest, stdout);
      if (stopRequest.IsSet()) return Interrupted();
      if (!wouldGo || std::fflush(stdout) != 0 || std::ferror(stdout)) return kExitFailure;
      std::cerr << "dry run: " << *wouldGo << " files would be deleted, none was\n";
    } else {
      const bool agreed = options->yes || ConfirmOnTerminal(question);
      if (stopRequest.IsSet()) return Interrupted();
      if (agreed) {
        DuplicateDeletion deletion(grid, status, fs, engine);
        const auto removed =
            below ? deletion.DeleteBelow(folder, stopRequest) : deletion.DeleteOnDrive(folder, stopRequest);
        // A stopped pass has said how many files it removed; the report would
        // list rows of a pass that did not end.
        if (stopRequest.IsSet()) return Interrupted();
        if (!removed) return kExitFailure;
      }
    }
  }

  const auto filesRegistered = static_cast<std::uint64_t>(table.GetFileCount());
  const auto listing = [&](int fd) { return cli::WriteListing(grid, options->format, filesRegistered, fd); };
  if (options->reportFile) {
    if (SaveFile(cli::Absolute(*options->reportFile, cwd), listing) != ReportResult::Saved) {
      std::cerr << "kestrilo-cli: cannot write the report " << *options->reportFile << "\n";
      return kExitFailure;
    }
  } else if (!options->dryRun && !listing(cli::ReportOutput())) {
    return kExitFailure;
  }
  return kExitDone;
}

}  // namespace

int main(int argc, char** argv) {
  // Before anything is walked, so that no stop signal can end the program
  // halfway through a deletion.
  kestrilo::cli::StopOnSignals(stopRequest);
  try {
    return Run(argc, argv);
  } catch (...) {
    // Low memory: the system's allocations or threads failed.
    std::cerr << "kestrilo-cli: " << kestrilo::CurrentJobFailureText() << "\n";
    return kExitFailure;
  }
}
