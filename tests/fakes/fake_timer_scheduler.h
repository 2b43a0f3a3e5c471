// Runs form timers on virtual time. Nothing ticks until a test advances the clock; then every
// timer that falls due fires in the order of its due time (timers due at the same moment in the
// order they were started), as often as the elapsed time allows.
//
// A tick handler may stop, start or restart any timer, itself included, or destroy it: the
// schedule is looked up afresh before every tick, so a timer stopped by an earlier handler at the
// same moment does not fire, and one started inside a tick first fires one interval after that
// tick's moment. Advancing from inside a handler (a fake message pump) is allowed too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ui/timer_scheduler.h"

namespace zephyr::testing {

class FakeTimerScheduler final : public ui::TimerScheduler {
 public:
  void Start(ui::Timer& timer) override;
  void Stop(ui::Timer& timer) override;

  // Moves the clock `milliseconds` forward, firing what falls due on the way.
  void Advance(std::uint64_t milliseconds);
  std::uint64_t Now() const { return now_; }

  bool IsRunning(const ui::Timer& timer) const;
  std::size_t RunningCount() const { return entries_.size(); }
  // How many ticks have been delivered since the scheduler was made.
  std::uint64_t TickCount() const { return ticks_; }

 private:
  struct Entry {
    ui::Timer* timer;
    std::uint64_t due;
    std::uint64_t order;  // start order, for timers due at the same moment
  };

  std::vector<Entry> entries_;
  std::uint64_t now_ = 0;
  std::uint64_t nextOrder_ = 0;
  std::uint64_t ticks_ = 0;
};

}  // namespace zephyr::testing
