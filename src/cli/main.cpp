// kestrilo-cli: the duplicate check for scripts, servers and benchmarks.
// Walks each PATH in order as one batch, runs one duplicate check and writes
// the numbered rows as report lines; optionally deletes the duplicates below a
// folder or on a file system, never a group's last file.

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "check/check_session.h"
#include "check/report.h"
#include "cli/cli_options.h"
#include "cli/console_platform.h"
#include "cli/console_status.h"
#include "cli/dry_run.h"
#include "cli/help_text.h"
#include "cli/output_format.h"
#include "cli/removal_failures.h"
#include "cli/stop_signals.h"
#include "delete/duplicate_deletion.h"
#include "platform/file_system.h"
#include "platform/path_text.h"
#include "run/job_failure.h"
#include "run/run_texts.h"
#include "version/version.h"

namespace {

constexpr int kExitDone = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// The exit status of a run that a signal stopped.
int Interrupted() { return 128 + kestrilo::cli::StopSignal(); }

bool ConfirmOnTerminal(const std::string& question) {
  kestrilo::cli::WriteText(stderr, question + " [y/N] ");
  std::fflush(stderr);
  // An end of input or an interrupted read answers no.
  std::string answer;
  for (int c = std::fgetc(stdin); c != EOF && c != '\n'; c = std::fgetc(stdin)) answer.push_back(static_cast<char>(c));
  return answer == "y" || answer == "Y" || answer == "yes";
}

// The session's files and results, and where this run reports them.
struct Job {
  kestrilo::CheckSession& session;
  kestrilo::cli::ConsoleStatus& status;
  const kestrilo::cli::Options& options;
  std::string cwd;
  // Whether a file that was to go stayed (or, in a dry run, would stay).
  bool removalFailed = false;
};

// Names the file of each row that stayed, with the reason, on standard error.
kestrilo::FailureObserver ReportFailures(Job& job) {
  return [&job](int row, kestrilo::RemovalFailure why) {
    kestrilo::cli::WriteText(stderr, kestrilo::cli::RemovalFailureLine(job.session.Results().PathOf(row), why));
    job.removalFailed = true;
  };
}

// Whether every relative path of the options can be made absolute: a relative
// path must not be taken relative to some other folder.
bool RelativePathsResolve(const kestrilo::cli::Options& options, const std::string& cwd) {
  if (!cwd.empty()) return true;
  const auto relative = [](const std::optional<std::string>& path) { return path && !kestrilo::IsAbsolutePath(*path); };
  return std::none_of(options.paths.begin(), options.paths.end(),
                      [&](const std::string& path) { return relative(path); }) &&
         !relative(options.deleteBelow) && !relative(options.deleteOnDrive) && !relative(options.reportFile);
}

// The walk of every path and one duplicate check; false when a stop ended them.
bool WalkAndCheck(Job& job) {
  using namespace kestrilo;
  const SignatureTable& table = job.session.Table();
  job.status.SetPanelText(1, texts::kSearching);
  job.status.SetWalking(true);
  for (const auto& path : job.options.paths) job.session.GetFiles(cli::Absolute(path, job.cwd));
  job.status.SetWalking(false);
  if (job.session.Stop().IsSet()) {
    job.status.SetPanelText(1, texts::kStoppedBefore + std::to_string(table.GetFileCount()) + texts::kStoppedAfter);
    return false;
  }
  job.status.SetPanelText(0, std::to_string(table.GetFileCount()));

  job.status.SetPanelText(1, texts::kChecking);
  job.status.SetComparing(true);
  const CheckOutcome outcome = job.session.RunDuplicateCheck();
  job.status.SetComparing(false);
  return !outcome.stopped;
}

// The bulk deletion the options ask for, or its dry run; an exit status when
// the run ends here.
std::optional<int> DeleteDuplicates(Job& job) {
  using namespace kestrilo;
  const cli::Options& options = job.options;
  const StopRequest& stop = job.session.Stop();
  FileSystem& fs = SystemFileSystem();
  const bool below = options.deleteBelow.has_value();
  const std::string folder = cli::Absolute(below ? *options.deleteBelow : *options.deleteOnDrive, job.cwd);
  if (options.dryRun) {
    // The plan brings its own line ends.
    cli::ReportOutput();
    const auto wouldGo =
        cli::DryRunDeletion(job.session.Results(), fs, job.status, folder, !below, stop, stdout, ReportFailures(job));
    if (stop.IsSet()) return Interrupted();
    if (!wouldGo || std::fflush(stdout) != 0 || std::ferror(stdout)) return kExitFailure;
    cli::WriteText(stderr, "dry run: " + std::to_string(*wouldGo) + " files would be deleted, none was\n");
    return std::nullopt;
  }
  const std::string question = below ? "Delete every duplicate below " + folder + "?"
                                     : "Delete every duplicate on the file system of " + folder + "?";
  const bool agreed = options.yes || ConfirmOnTerminal(question);
  if (stop.IsSet()) return Interrupted();
  if (!agreed) return std::nullopt;
  DuplicateDeletion deletion(job.session.Results(), job.status, fs);
  deletion.SetFailureObserver(ReportFailures(job));
  const auto removed = below ? deletion.DeleteBelow(folder, stop) : deletion.DeleteOnDrive(folder, stop);
  // A stopped pass has said how many files it removed; the report would list
  // rows of a pass that did not end.
  if (stop.IsSet()) return Interrupted();
  if (!removed) return kExitFailure;
  return std::nullopt;
}

// The listing, to the report file or to standard output.
int WriteResults(const Job& job) {
  using namespace kestrilo;
  const cli::Options& options = job.options;
  const auto filesRegistered = static_cast<std::uint64_t>(job.session.Table().GetFileCount());
  const auto listing = [&](int fd) {
    return cli::WriteListing(job.session.Results(), options.format, filesRegistered, fd);
  };
  if (options.reportFile) {
    if (SaveFile(cli::Absolute(*options.reportFile, job.cwd), listing) != ReportResult::Saved) {
      cli::WriteText(stderr, "kestrilo-cli: cannot write the report " + *options.reportFile + "\n");
      return kExitFailure;
    }
  } else if (!options.dryRun && !listing(cli::ReportOutput())) {
    return kExitFailure;
  }
  return kExitDone;
}

// Everything but the signal handlers and the last resort for exceptions.
int Run(int argc, char** argv, kestrilo::CheckSession& session, kestrilo::MemoryJobSettings& settings,
        kestrilo::cli::ConsoleStatus& status) {
  using namespace kestrilo;
  std::string error;
  const auto options = cli::ParseOptions(cli::CommandLineArguments(argc, argv), error);
  if (!options) {
    cli::WriteText(stderr, "kestrilo-cli: " + error + "\n" + cli::kUsage);
    return kExitUsage;
  }
  if (options->help || options->version) {
    cli::WriteText(stdout, options->help ? std::string(cli::kHelp) : std::string("kestrilo-cli ") + kVersion + "\n");
    return kExitDone;
  }

  settings.filterText = options->filter;
  settings.sortFlag = options->sort;
  session.SetReaderThreads(options->threads);
  session.SetCompareProgress([&status](std::uint64_t done, std::uint64_t total) { status.SetCompared(done, total); });
  Job job{session, status, *options, cli::CurrentFolder()};
  if (!RelativePathsResolve(*options, job.cwd)) {
    cli::WriteText(stderr, "kestrilo-cli: cannot tell the current folder for a relative path\n");
    return kExitFailure;
  }
  if (!WalkAndCheck(job)) return Interrupted();
  if (options->deleteBelow || options->deleteOnDrive) {
    if (const auto ended = DeleteDuplicates(job)) return *ended;
  }
  const int written = WriteResults(job);
  return job.removalFailed ? kExitFailure : written;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    // Static: a stop signal may still come while the program exits.
    static kestrilo::cli::ConsoleStatus status(stderr);
    static kestrilo::MemoryJobSettings settings;
    static kestrilo::CheckSession session(status, settings, kestrilo::SystemFileSystem());
    // Before anything is walked, so that no stop signal can end the program
    // halfway through a deletion.
    kestrilo::cli::StopOnSignals(session.Stop());
    return Run(argc, argv, session, settings, status);
  } catch (...) {
    // Low memory: the system's allocations or threads failed.
    kestrilo::cli::WriteText(stderr, std::string("kestrilo-cli: ") + kestrilo::CurrentJobFailureText() + "\n");
    return kExitFailure;
  }
}
