#pragma once
// The duplicate-check engine: the folder walk that registers files in the
// signature table (GetFiles), the extraction of candidate rows into the result
// grid (TakeOutCheckFiles) and the verification pass that numbers the groups
// of identical files (CheckFiles).
//
// Call order: any number of GetFiles; then a duplicate check is
// TakeOutCheckFiles followed, when it returned non-zero, by CheckFiles. All
// three run on one (worker) thread at a time; they read the stop request at
// their checkpoints and write the grid and the status panels as they go.
// The engine owns nothing it is given; it keeps the facts of the files that
// the last verification pass compared, by grid row, until the next extraction.
// Each call runs one pass of its own (folder_walk.h, group_extraction.h,
// verification.h); this is the front that the window, the command line and
// run control see.

#include <optional>
#include <string>

#include "check/candidate_facts.h"
#include "check/candidate_grid.h"
#include "check/verification.h"
#include "platform/file_system.h"
#include "store/signature_table.h"
#include "toolkit/grid.h"
#include "toolkit/job_settings.h"
#include "toolkit/status_panels.h"
#include "toolkit/stop_request.h"

namespace kestrilo {

// What the verification pass saw of each data row's file when it compared it;
// the deletion commands rely on it to tell whether a partner is still the file
// that was found identical.
struct VerifiedFile {
  FileFacts facts;
};

class DuplicateEngine {
 public:
  DuplicateEngine(SignatureTable& table, Grid& grid, StatusPanels& status, const JobSettings& settings,
                  const StopRequest& stop, FileSystem& fs);

  // Number of threads that read files ahead of registration (0: one per core).
  // The results are the same for every number.
  void SetReaderThreads(unsigned count) { readerThreads_ = count; }

  // Told, on the thread that runs CheckFiles, each time the files of one
  // signature have been compared: the bytes of the candidate files compared
  // so far and of all of them.
  using CompareProgress = VerificationPass::Progress;
  void SetCompareProgress(CompareProgress progress) { compareProgress_ = std::move(progress); }

  // Walks `path` (a folder, or a single file) and registers every matching file.
  void GetFiles(const std::string& path);

  // Hides vanished files, lays out every signature with two or more live paths
  // as grid rows, sorts them when the sort flag is set; returns the number of
  // data rows.
  int TakeOutCheckFiles();

  // Compares the candidates and writes group numbers into column 0.
  void CheckFiles();

  // Facts of the file of grid row `row` as the last verification pass read it;
  // nothing when it did not read that row's file, when the file had changed
  // too shortly before to be told apart from a later change by its
  // timestamps, or when the grid was rebuilt.
  std::optional<FileFacts> VerifiedFacts(int row) const;
  // Forget them (the grid was set up again).
  void ForgetVerifiedFacts();

 private:
  SignatureTable& table_;
  CandidateGrid grid_;
  StatusPanels& status_;
  const JobSettings& settings_;
  const StopRequest& stop_;
  FileSystem& fs_;
  unsigned readerThreads_ = 0;
  CompareProgress compareProgress_;
  CandidateFacts facts_;
};

}  // namespace kestrilo
