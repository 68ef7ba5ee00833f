#pragma once
// Waiting with the window's events flowing: a short nested event loop, after
// which the window brings its view of the running job up to date.

#include <chrono>
#include <functional>

#include "toolkit/event_pump.h"

namespace kestrilo {

class QtEventPump final : public EventPump {
 public:
  explicit QtEventPump(std::function<void()> afterDispatch) : afterDispatch_(std::move(afterDispatch)) {}
  void ProcessMessagesFor(std::chrono::milliseconds wait) override;

 private:
  std::function<void()> afterDispatch_;
};

}  // namespace kestrilo
