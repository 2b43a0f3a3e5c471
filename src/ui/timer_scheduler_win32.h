// The real timer port: every running form timer is a SetTimer timer.
//
// A bound form's timers run on the form's own window: the binder routes them there and hands the
// window's WM_TIMER messages back to Dispatch. Timers of forms without windows (panels are loaded
// before they are first shown) run on a hidden window of the scheduler's own. One scheduler
// serves any number of forms, all on the thread that created it.
#pragma once

#include <windows.h>

#include <cstddef>
#include <map>

#include "ui/timer_scheduler.h"

namespace zephyr::ui {

class Form;

class TimerSchedulerWin32 final : public TimerScheduler {
 public:
  TimerSchedulerWin32();
  ~TimerSchedulerWin32() override;
  TimerSchedulerWin32(const TimerSchedulerWin32&) = delete;
  TimerSchedulerWin32& operator=(const TimerSchedulerWin32&) = delete;

  void Start(Timer& timer) override;
  void Stop(Timer& timer) override;

  // From now on the timers of `form` run on `window`, whose window procedure passes WM_TIMER to
  // Dispatch; null sends them back to the scheduler's own window. Running timers move at once
  // and count their interval afresh.
  void RouteForm(const Form& form, HWND window);
  // A WM_TIMER that `window` received: fires the timer it belongs to. False when the message is
  // not for a running timer of this scheduler (also a late one for a stopped timer).
  bool Dispatch(HWND window, UINT_PTR id);

  bool IsRunning(const Timer& timer) const { return running_.count(&timer) != 0; }
  std::size_t RunningCount() const { return running_.size(); }

 private:
  struct Entry {
    UINT_PTR id;
    HWND window;
  };

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnTimer(HWND hwnd, UINT_PTR id);

  HWND WindowFor(const Form& form) const;
  void Arm(Timer& timer, HWND window);
  void Disarm(std::map<const Timer*, Entry>::iterator entry);

  HWND ownWindow_ = nullptr;
  std::map<const Timer*, Entry> running_;
  std::map<UINT_PTR, Timer*> byId_;
  std::map<const Form*, HWND> routes_;
  UINT_PTR nextId_ = 1;
};

}  // namespace zephyr::ui
