#include "ui/timer_scheduler_win32.h"

#include <vector>

#include "ui/controls.h"

namespace zephyr::ui {

namespace {

constexpr char kTimerWindowClass[] = "ZephyrnetTimers";
constexpr UINT_PTR kSystemTimerId = 1;

}  // namespace

TimerSchedulerWin32::TimerSchedulerWin32() {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA windowClass{};
  if (!GetClassInfoA(instance, kTimerWindowClass, &windowClass)) {
    windowClass.lpfnWndProc = &TimerSchedulerWin32::WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kTimerWindowClass;
    RegisterClassA(&windowClass);
  }
  // A message-only window stays out of every window list; Windows 9x has none, and there a
  // hidden pop-up does the same work.
  ownWindow_ = CreateWindowExA(0, kTimerWindowClass, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE,
                               nullptr, instance, this);
  if (ownWindow_ == nullptr) {
    ownWindow_ = CreateWindowExA(WS_EX_TOOLWINDOW, kTimerWindowClass, nullptr, WS_POPUP, 0, 0, 0,
                                 0, nullptr, nullptr, instance, this);
  }
}

TimerSchedulerWin32::~TimerSchedulerWin32() {
  *alive_ = false;
  if (ownWindow_ != nullptr) {
    KillTimer(ownWindow_, kSystemTimerId);
    DestroyWindow(ownWindow_);
  }
}

void TimerSchedulerWin32::Start(Timer& timer) {
  const TimerSchedule::Key key = KeyOf(timer);
  schedule_.Start(key, static_cast<std::uint32_t>(timer.Interval()), GetTickCount());
  ++starts_[key];
  UpdateSystemTimer();
}

void TimerSchedulerWin32::Stop(Timer& timer) {
  const TimerSchedule::Key key = KeyOf(timer);
  schedule_.Stop(key);
  starts_.erase(key);
  UpdateSystemTimer();
}

void TimerSchedulerWin32::UpdateSystemTimer() {
  if (ownWindow_ == nullptr) return;
  const std::optional<std::uint32_t> change = schedule_.SystemTimerChange(GetTickCount());
  if (!change) return;
  if (*change == 0) {
    KillTimer(ownWindow_, kSystemTimerId);
  } else {
    SetTimer(ownWindow_, kSystemTimerId, *change, nullptr);
  }
}

void TimerSchedulerWin32::OnWake() {
  std::vector<std::pair<TimerSchedule::Key, unsigned>> due;
  for (const TimerSchedule::Key key : schedule_.TakeDue(GetTickCount())) {
    due.emplace_back(key, starts_[key]);
  }
  // Set for the next wake-up before any tick runs: a tick may run the message loop for a while.
  UpdateSystemTimer();
  // A tick may stop, restart or destroy other timers, their forms or this scheduler.
  const std::shared_ptr<bool> alive = alive_;
  for (const auto& [key, started] : due) {
    if (!*alive) return;
    const auto still = starts_.find(key);
    if (still == starts_.end() || still->second != started) continue;
    reinterpret_cast<Timer*>(key)->Fire();
  }
}

LRESULT CALLBACK TimerSchedulerWin32::WindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<TimerSchedulerWin32*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
  if (message == WM_TIMER && wParam == kSystemTimerId) {
    self->OnWake();
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace zephyr::ui
