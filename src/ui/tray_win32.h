// The tray control on Windows: its own hidden window receives the shell's callback message, runs
// the click-latch timer and hears the "TaskbarCreated" broadcast, after which the icon is put
// back into a restarted taskbar.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

#include "platform/notification_area_port.h"
#include "ui/timer_scheduler.h"
#include "ui/tray.h"

namespace zephyr::ui {

class TrayWin32 final : private TimerScheduler {
 public:
  // Creates the control's window on the calling thread, whose message loop then serves it;
  // `args.hwnd` is replaced by that window. The port must outlive the control.
  explicit TrayWin32(NotificationAreaPort& shell, TrayArgs args = {});
  // Removes the icon if it is still shown, then the window.
  ~TrayWin32() override;
  TrayWin32(const TrayWin32&) = delete;
  TrayWin32& operator=(const TrayWin32&) = delete;

  Tray& control() { return *tray_; }
  // Null when the window could not be made; the icon then never reaches the tray.
  HWND hwnd() const { return hwnd_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnTrayCallback(LPARAM lParam);
  LRESULT OnTimer(WPARAM id);
  LRESULT OnTaskbarCreated();

  // The timers of the control's form run as window timers; identifier i + 1 is timers_[i].
  void Start(Timer& timer) override;
  void Stop(Timer& timer) override;

  HWND hwnd_ = nullptr;
  UINT taskbarCreated_ = 0;
  std::vector<Timer*> timers_;
  std::optional<Tray> tray_;
};

}  // namespace zephyr::ui
