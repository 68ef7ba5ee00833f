#pragma once
// The window's event dispatch, used while the window thread waits for a job:
// the window repaints and its stop button still works during the wait.

#include <chrono>

namespace kestrilo {

class EventPump {
 public:
  virtual ~EventPump() = default;
  // Dispatches the window's events for up to `wait`, sleeping while there are
  // none, then returns.
  virtual void ProcessMessagesFor(std::chrono::milliseconds wait) = 0;
};

}  // namespace kestrilo
