#include "ui/qt_event_pump.h"

#include <QEventLoop>
#include <QTimer>

namespace kestrilo {

void QtEventPump::ProcessMessagesFor(std::chrono::milliseconds wait) {
  // The loop sleeps in the event dispatcher until an event or the timer comes,
  // so the window thread never spins while it waits.
  QEventLoop loop;
  QTimer::singleShot(wait, Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec();
  if (afterDispatch_) afterDispatch_();
}

}  // namespace kestrilo
