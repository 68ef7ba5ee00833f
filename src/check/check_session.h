#pragma once
// One duplicate-check session: the signature table, the result set, the stop
// request and the engine that works on them, wired once for every front end
// (the windows, kestrilo-cli, the tests and the benchmarks).
//
// Call order: any number of GetFiles, then RunDuplicateCheck, again and again;
// Clear empties the table and the results. The jobs run on one thread at a
// time (a window's worker); the stop request may be set from any thread.
// The session owns its table, results, stop request and engine; it owns
// nothing it is given.

#include <cstdint>
#include <string>

#include "check/duplicate_engine.h"
#include "check/result_set.h"
#include "platform/file_system.h"
#include "store/signature_table.h"
#include "toolkit/job_settings.h"
#include "toolkit/status_panels.h"
#include "toolkit/stop_request.h"

namespace kestrilo {

// What one duplicate check did.
struct CheckOutcome {
  // Candidate rows laid out, and groups of identical files numbered.
  int rows = 0;
  int groups = 0;
  // The stop request was set when the check ended.
  bool stopped = false;
};

class CheckSession {
 public:
  CheckSession(StatusPanels& status, const JobSettings& settings, FileSystem& fs);
  CheckSession(const CheckSession&) = delete;
  CheckSession& operator=(const CheckSession&) = delete;

  // Walks `path` (a folder or a single file) and registers every matching file.
  void GetFiles(const std::string& path) { engine_.GetFiles(path); }

  // The extraction of the candidates, then their verification when there are
  // any; panel 1 says when there are none, the verification tells the rest.
  CheckOutcome RunDuplicateCheck();

  // Forgets every registered file and every result.
  void Clear();

  // Number of reader threads (0: one per core); see DuplicateEngine.
  void SetReaderThreads(unsigned count) { engine_.SetReaderThreads(count); }
  void SetCompareProgress(DuplicateEngine::CompareProgress progress) {
    engine_.SetCompareProgress(std::move(progress));
  }

  // The passes one at a time, for callers that look between them.
  DuplicateEngine& Engine() { return engine_; }
  SignatureTable& Table() { return table_; }
  const SignatureTable& Table() const { return table_; }
  ResultSet& Results() { return results_; }
  const ResultSet& Results() const { return results_; }
  StopRequest& Stop() { return stop_; }
  const StopRequest& Stop() const { return stop_; }

 private:
  StatusPanels& status_;
  SignatureTable table_;
  ResultSet results_;
  StopRequest stop_;
  DuplicateEngine engine_;
};

}  // namespace kestrilo
