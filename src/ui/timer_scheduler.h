// The timer port: runs the Timer controls of loaded forms.
//
// A timer registers itself while its form is loaded, it is enabled and its interval is not 0, and
// unregisters as soon as one of these stops being true (also from inside its own tick). The Win32
// binder implements the port with SetTimer and KillTimer on the form's window; FakeTimerScheduler
// (tests/fakes) runs timers on virtual time.
#pragma once

namespace zephyr::ui {

class Timer;

class TimerScheduler {
 public:
  virtual ~TimerScheduler() = default;

  // Starts `timer` with its current Interval, or restarts it when it is running: the next tick
  // comes one interval from now, as SetTimer does for a timer it already knows. Each tick calls
  // timer.Fire().
  virtual void Start(Timer& timer) = 0;
  // Stops `timer`. No tick reaches a timer after it was stopped; stopping a timer that is not
  // running does nothing.
  virtual void Stop(Timer& timer) = 0;
};

}  // namespace zephyr::ui
