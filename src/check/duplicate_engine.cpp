#include "check/duplicate_engine.h"

#include <utility>

#include "check/folder_walk.h"
#include "check/group_extraction.h"
#include "platform/task_pool.h"

namespace kestrilo {

DuplicateEngine::DuplicateEngine(SignatureTable& table, ResultSet& results, StatusPanels& status,
                                 const JobSettings& settings, const StopRequest& stop, FileSystem& fs)
    : table_(table), results_(results), status_(status), settings_(settings), stop_(stop), fs_(fs) {}

void DuplicateEngine::GetFiles(const std::string& path) {
  if (stop_.IsSet()) return;
  // The walk's reads are one small read per file, which a cold disk serves
  // faster the more of them wait at once.
  FolderWalk(table_, stamps_, status_, settings_, stop_, fs_, EffectiveThreads(readerThreads_),
             ReadingDepth(readerThreads_))
      .Walk(path);
}

int DuplicateEngine::TakeOutCheckFiles() {
  results_.Clear();
  // The walk is over: the table is only read until a deletion or the next
  // walk changes it, and its lookups' room goes to the candidates.
  table_.ReleaseLookups();
  CandidateRows rows = GroupExtraction(table_, stamps_, fs_, EffectiveThreads(readerThreads_)).TakeOut();
  if (settings_.SortFlag() && rows.Count() >= 2 && !stop_.IsSet()) rows.SortBySizeThenFolder();
  const auto count = static_cast<int>(rows.Count());
  results_.Replace(std::move(rows));
  return count;
}

int DuplicateEngine::CheckFiles() {
  return VerificationPass(results_, table_, status_, stop_, fs_, EffectiveThreads(readerThreads_), compareProgress_)
      .Run();
}

}  // namespace kestrilo
