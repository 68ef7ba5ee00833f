#pragma once
// SIGINT and SIGTERM as stop requests: the running walk, check or deletion
// pass ends at its next checkpoint, and the program exits with 128 + the
// signal's number, as a shell reports a program the signal ended.

#include "toolkit/stop_request.h"

namespace kestrilo::cli {

// Installs the handlers; `stop` must live until the program ends.
void StopOnSignals(StopRequest& stop);

// The number of the first stop signal that arrived; 0 while none did.
int StopSignal();

}  // namespace kestrilo::cli
