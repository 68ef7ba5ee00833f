#pragma once
// The window's report command, the same in every window: the save dialog,
// the question before an existing file is overwritten, the save, and a
// failure told in panel 1.

#include <string>

#include "check/result_set.h"
#include "platform/file_system.h"
#include "toolkit/dialogs.h"
#include "toolkit/status_panels.h"

namespace kestrilo {

// Does nothing when there are no result rows. `saveFileName` is the name the dialog
// proposes; it becomes the name chosen.
void SaveReportAs(const ResultSet& results, StatusPanels& status, Dialogs& dialogs, FileSystem& fs,
                  std::string& saveFileName);

}  // namespace kestrilo
