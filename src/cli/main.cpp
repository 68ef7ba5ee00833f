// kestrilo-cli: the duplicate check for scripts, servers and benchmarks.
// Walks each PATH in order as one batch, runs one duplicate check and writes
// the numbered rows as report lines; optionally deletes the duplicates below a
// folder or on a file system, never a group's last file.

#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "check/duplicate_engine.h"
#include "check/report.h"
#include "cli/cli_options.h"
#include "cli/console_platform.h"
#include "cli/console_status.h"
#include "delete/deletion_commands.h"
#include "platform/file_system.h"
#include "run/run_texts.h"
#include "store/signature_table.h"
#include "toolkit/memory_grid.h"
#include "toolkit/scripted_dialogs.h"

namespace {

constexpr int kExitDone = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130;


kestrilo::StopRequest stopRequest;
volatile std::sig_atomic_t interrupted = 0;

void OnInterrupt() {
  interrupted = 1;
  stopRequest.Set();
}

bool ConfirmOnTerminal(const std::string& question) {
  kestrilo::cli::WriteText(stderr, question + " [y/N] ");
  std::fflush(stderr);
  std::string answer;
  if (!std::getline(std::cin, answer)) return false;
  return answer == "y" || answer == "Y" || answer == "yes";
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kestrilo;
  std::string error;
  const auto options = cli::ParseOptions(cli::CommandLineArguments(argc, argv), error);
  if (!options) {
    std::cerr << "kestrilo-cli: " << error << "\n" << cli::kUsage;
    return kExitUsage;
  }

  cli::CallOnInterrupt(OnInterrupt);

  SignatureTable table;
  MemoryGrid grid;
  cli::ConsoleStatus status(stderr);
  MemoryJobSettings settings;
  settings.filterText = options->filter;
  settings.sortFlag = options->sort;
  FileSystem& fs = SystemFileSystem();
  DuplicateEngine engine(table, grid, status, settings, stopRequest, fs);
  engine.SetReaderThreads(options->threads);

  const std::string cwd = cli::CurrentFolder();
  status.SetPanelText(1, texts::kSearching);
  status.SetWalking(true);
  for (const auto& path : options->paths) engine.GetFiles(cli::Absolute(path, cwd));
  status.SetWalking(false);
  if (stopRequest.IsSet()) {
    status.SetPanelText(1, texts::kStoppedBefore + std::to_string(table.GetFileCount()) + texts::kStoppedAfter);
    return kExitInterrupted;
  }
  status.SetPanelText(0, std::to_string(table.GetFileCount()));

  status.SetPanelText(1, texts::kChecking);
  if (engine.TakeOutCheckFiles() == 0) {
    status.SetPanelText(1, texts::kNoCandidates);
  } else {
    engine.CheckFiles();
  }
  if (interrupted) return kExitInterrupted;

  if (options->deleteBelow || options->deleteOnDrive) {
    const bool below = options->deleteBelow.has_value();
    const std::string folder = cli::Absolute(below ? *options->deleteBelow : *options->deleteOnDrive, cwd);
    const std::string question = below ? "Delete every duplicate below " + folder + "?"
                                       : "Delete every duplicate on the file system of " + folder + "?";
    if (options->yes || ConfirmOnTerminal(question)) {
      ScriptedDialogs noQuestions;
      DeletionCommands deletion(grid, status, noQuestions, fs, engine);
      const auto removed = below ? deletion.DeleteBelow(folder) : deletion.DeleteOnDrive(folder);
      if (!removed) return kExitFailure;
    }
  }

  if (options->reportFile) {
    if (SaveReport(grid, cli::Absolute(*options->reportFile, cwd)) != ReportResult::Saved) {
      std::cerr << "kestrilo-cli: cannot write the report " << *options->reportFile << "\n";
      return kExitFailure;
    }
  } else if (!WriteReport(grid, cli::ReportOutput())) {
    return kExitFailure;
  }
  return kExitDone;
}
