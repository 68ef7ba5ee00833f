#pragma once
// The duplicate-check engine: the folder walk that registers files in the
// signature table (GetFiles), the extraction of candidate rows into the result
// set (TakeOutCheckFiles) and the verification pass that numbers the groups
// of identical files (CheckFiles).
//
// Call order: any number of GetFiles; then a duplicate check is
// TakeOutCheckFiles followed, when it returned non-zero, by CheckFiles. All
// three run on one (worker) thread at a time; they read the stop request at
// their checkpoints and write the result set and the status panels as they
// go. The engine owns nothing it is given; it keeps the walks' folder stamps
// (folder_stamps.h) for the extractions. Each call runs one pass of its
// own (folder_walk.h, group_extraction.h, verification.h); a check session
// (check_session.h) owns an engine and drives it for every front end.

#include <optional>
#include <string>

#include "check/folder_stamps.h"
#include "check/result_set.h"
#include "check/verification.h"
#include "platform/file_system.h"
#include "store/signature_table.h"
#include "toolkit/job_settings.h"
#include "toolkit/status_panels.h"
#include "toolkit/stop_request.h"

namespace kestrilo {

class DuplicateEngine {
 public:
  DuplicateEngine(SignatureTable& table, ResultSet& results, StatusPanels& status, const JobSettings& settings,
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
  // as result rows, sorts them when the sort flag is set; returns the number
  // of rows.
  int TakeOutCheckFiles();

  // Compares the candidates, numbers the groups of identical files and
  // records on each row what it saw of the file; returns the number of groups.
  int CheckFiles();

  // Forgets what the walks saw of their folders, when the table is emptied.
  void ForgetFolders() { stamps_.Clear(); }

 private:
  SignatureTable& table_;
  ResultSet& results_;
  StatusPanels& status_;
  const JobSettings& settings_;
  const StopRequest& stop_;
  FileSystem& fs_;
  unsigned readerThreads_ = 0;
  CompareProgress compareProgress_;
  FolderStamps stamps_;
};

}  // namespace kestrilo
