#include "check/duplicate_engine.h"

#include <utility>

#include "check/folder_walk.h"
#include "check/group_extraction.h"
#include "platform/task_pool.h"

namespace kestrilo {

DuplicateEngine::DuplicateEngine(SignatureTable& table, Grid& grid, StatusPanels& status, const JobSettings& settings,
                                 const StopRequest& stop, FileSystem& fs)
    : table_(table), grid_(grid), status_(status), settings_(settings), stop_(stop), fs_(fs) {}

void DuplicateEngine::GetFiles(const std::string& path) {
  if (stop_.IsSet()) return;
  FolderWalk(table_, status_, settings_, stop_, fs_, EffectiveThreads(readerThreads_)).Walk(path);
}

int DuplicateEngine::TakeOutCheckFiles() {
  grid_.Clear();
  facts_.Forget();
  std::vector<CandidateRow> rows = GroupExtraction(table_, fs_, EffectiveThreads(readerThreads_)).TakeOut();
  if (settings_.SortFlag() && rows.size() >= 2 && !stop_.IsSet()) SortCandidates(rows);
  const int count = static_cast<int>(rows.size());
  facts_.NoteSignatures(rows);
  grid_.LayOut(std::move(rows));
  return count;
}

void DuplicateEngine::CheckFiles() {
  VerificationPass(grid_, facts_, table_, status_, stop_, fs_, EffectiveThreads(readerThreads_), compareProgress_)
      .Run();
}

std::optional<FileFacts> DuplicateEngine::VerifiedFacts(int row) const { return facts_.Verified(row); }

void DuplicateEngine::ForgetVerifiedFacts() { facts_.Forget(); }

}  // namespace kestrilo
