#include "cli/stop_signals.h"

#include <csignal>

#include "cli/console_platform.h"

namespace kestrilo::cli {

namespace {

StopRequest* stopRequest = nullptr;
volatile std::sig_atomic_t firstSignal = 0;

void OnStopSignal(int signal) {
  if (firstSignal == 0) firstSignal = signal;
  stopRequest->Set();
}

}  // namespace

void StopOnSignals(StopRequest& stop) {
  stopRequest = &stop;
  CallOnStop(OnStopSignal);
}

int StopSignal() { return firstSignal; }

}  // namespace kestrilo::cli
