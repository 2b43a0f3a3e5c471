// The real timer port. Every running form timer is due on one schedule (ui::TimerSchedule), and
// one system timer, on a hidden window of the scheduler's own, wakes the program for the earliest
// of them; timers due within kToleranceMs of a wake-up fire with it, so timers of related periods
// share their wake-ups. One scheduler serves any number of forms, all on the thread that created
// it.
#pragma once

#include <windows.h>

#include <cstddef>
#include <map>
#include <memory>

#include "ui/timer_scheduler.h"
#include "ui/timer_schedule.h"

namespace zephyr::ui {

class TimerSchedulerWin32 final : public TimerScheduler {
 public:
  // Less than one tick of the system clock of Windows NT (15.6 ms), which every Windows timer is
  // rounded to.
  static constexpr std::uint32_t kToleranceMs = 15;

  TimerSchedulerWin32();
  ~TimerSchedulerWin32() override;
  TimerSchedulerWin32(const TimerSchedulerWin32&) = delete;
  TimerSchedulerWin32& operator=(const TimerSchedulerWin32&) = delete;

  void Start(Timer& timer) override;
  void Stop(Timer& timer) override;

  bool IsRunning(const Timer& timer) const { return schedule_.Running(KeyOf(timer)); }
  std::size_t RunningCount() const { return schedule_.Count(); }

 private:
  static TimerSchedule::Key KeyOf(const Timer& timer) {
    return reinterpret_cast<TimerSchedule::Key>(&timer);
  }
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void OnWake();
  void UpdateSystemTimer();

  HWND ownWindow_ = nullptr;
  TimerSchedule schedule_{kToleranceMs};
  // How often each timer was started: a tick that stops and starts another timer, or destroys it
  // and makes a new one in its place, keeps it from firing for the wake-up it was due at before.
  std::map<TimerSchedule::Key, unsigned> starts_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace zephyr::ui
