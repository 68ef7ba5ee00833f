#include "check/check_session.h"

#include "check/status_texts.h"

namespace kestrilo {

CheckSession::CheckSession(StatusPanels& status, const JobSettings& settings, FileSystem& fs)
    : status_(status), engine_(table_, results_, status, settings, stop_, fs) {}

CheckOutcome CheckSession::RunDuplicateCheck() {
  CheckOutcome outcome;
  outcome.rows = engine_.TakeOutCheckFiles();
  if (outcome.rows == 0) {
    status_.SetPanelText(1, texts::kNoCandidates);
  } else {
    outcome.groups = engine_.CheckFiles();
  }
  outcome.stopped = stop_.IsSet();
  return outcome;
}

void CheckSession::Clear() {
  table_.ClearHash();
  engine_.ForgetFolders();
  results_.Clear();
}

}  // namespace kestrilo
