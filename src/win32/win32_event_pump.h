#pragma once
// The window thread's message dispatch while it waits for a job: it sleeps
// until a message arrives or the wait is over, then dispatches every pending
// message through the window's own dispatch (key preview, dialog keys), and
// lets the window show what the job wrote meanwhile.

#include <windows.h>

#include <functional>

#include "toolkit/event_pump.h"

namespace kestrilo::win32 {

class Win32EventPump final : public EventPump {
 public:
  Win32EventPump(std::function<void(MSG&)> dispatch, std::function<void()> refresh)
      : dispatch_(std::move(dispatch)), refresh_(std::move(refresh)) {}

  void ProcessMessagesFor(std::chrono::milliseconds wait) override;

  // The quit message, once a wait took it from the queue: the outer message
  // loop ends with it.
  bool QuitSeen() const { return quitSeen_; }
  int QuitCode() const { return quitCode_; }

 private:
  std::function<void(MSG&)> dispatch_;
  std::function<void()> refresh_;
  bool quitSeen_ = false;
  int quitCode_ = 0;
};

}  // namespace kestrilo::win32
