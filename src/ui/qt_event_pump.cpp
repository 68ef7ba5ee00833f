#include "ui/qt_event_pump.h"

#include <QEventLoop>
#include <QTimer>
#include <thread>

namespace kestrilo {

void QtEventPump::ProcessMessagesFor(std::chrono::milliseconds wait) {
  // The loop sleeps in the event dispatcher until an event or the timer comes,
  // so the window thread never spins while it waits.
  QEventLoop loop;
  QTimer::singleShot(wait, Qt::PreciseTimer, &loop, &QEventLoop::quit);
  // Once the application is quitting, a new loop returns at once; the wait
  // must still not spin.
  if (loop.exec() < 0) std::this_thread::sleep_for(wait);
  if (afterDispatch_) afterDispatch_();
}

}  // namespace kestrilo
