#include "cli/stop_signals.h"

#include <csignal>

namespace kestrilo::cli {

namespace {

StopRequest* stopRequest = nullptr;
volatile std::sig_atomic_t firstSignal = 0;

extern "C" void OnStopSignal(int signal) {
  if (firstSignal == 0) firstSignal = signal;
  stopRequest->Set();
}

}  // namespace

void StopOnSignals(StopRequest& stop) {
  stopRequest = &stop;
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaddset(&action.sa_mask, SIGINT);
  sigaddset(&action.sa_mask, SIGTERM);
  // No SA_RESTART: a read of the answer to the deletion question ends.
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

int StopSignal() { return firstSignal; }

}  // namespace kestrilo::cli
