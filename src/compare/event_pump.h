#pragma once
// Lets window events run during long work, on a time budget: pending
// events are processed once `budget` of work has passed since the last
// time, so a click can run nested without a pass per byte.
#include <chrono>

#include "ui/ui.h"

namespace varomby {

class EventPump {
 public:
  using Clock = std::chrono::steady_clock;

  EventPump(Ui& ui, Clock::duration budget) : ui_(ui), budget_(budget), last_(Clock::now()) {}

  // Processes pending events when the budget is used up. False once the
  // window is closing: the work must stop and touch no control any more.
  bool Checkpoint() {
    if (closing_) return false;
    const Clock::time_point now = Clock::now();
    if (now - last_ < budget_) return true;
    ui_.ProcessPendingEvents();
    last_ = Clock::now();
    closing_ = ui_.IsClosing();
    return !closing_;
  }

  bool Closing() const { return closing_; }

 private:
  Ui& ui_;
  Clock::duration budget_;
  Clock::time_point last_;
  bool closing_ = false;
};

}  // namespace varomby
