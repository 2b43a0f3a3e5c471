#include "ui/timer_scheduler_win32.h"

#include <vector>

#include "ui/controls.h"

namespace zephyr::ui {

namespace {

constexpr char kTimerWindowClass[] = "ZephyrnetTimers";

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
  for (const auto& [timer, entry] : running_) KillTimer(entry.window, entry.id);
  if (ownWindow_ != nullptr) DestroyWindow(ownWindow_);
}

void TimerSchedulerWin32::Start(Timer& timer) { Arm(timer, WindowFor(timer.Parent())); }

void TimerSchedulerWin32::Stop(Timer& timer) {
  const auto found = running_.find(&timer);
  if (found != running_.end()) Disarm(found);
}

void TimerSchedulerWin32::RouteForm(const Form& form, HWND window) {
  if (window != nullptr) {
    routes_[&form] = window;
  } else {
    routes_.erase(&form);
  }
  std::vector<Timer*> moving;
  for (const auto& [timer, entry] : running_) {
    if (&timer->Parent() == &form) moving.push_back(byId_.at(entry.id));
  }
  for (Timer* timer : moving) Arm(*timer, WindowFor(form));
}

bool TimerSchedulerWin32::Dispatch(HWND window, UINT_PTR id) {
  const auto found = byId_.find(id);
  if (found == byId_.end()) return false;
  Timer* timer = found->second;
  if (running_.at(timer).window != window) return false;
  // The tick may stop, restart or destroy the timer, its form or this scheduler: nothing here
  // is touched afterwards.
  timer->Fire();
  return true;
}

HWND TimerSchedulerWin32::WindowFor(const Form& form) const {
  const auto route = routes_.find(&form);
  return route != routes_.end() ? route->second : ownWindow_;
}

void TimerSchedulerWin32::Arm(Timer& timer, HWND window) {
  const auto found = running_.find(&timer);
  if (found != running_.end()) Disarm(found);
  if (window == nullptr) return;
  // A fresh id for every start, so a WM_TIMER still queued from before is not taken for a tick
  // of the restarted timer.
  while (nextId_ == 0 || byId_.count(nextId_) != 0) ++nextId_;
  const UINT_PTR id = nextId_++;
  if (SetTimer(window, id, static_cast<UINT>(timer.Interval()), nullptr) == 0) return;
  running_[&timer] = {id, window};
  byId_[id] = &timer;
}

void TimerSchedulerWin32::Disarm(std::map<const Timer*, Entry>::iterator entry) {
  KillTimer(entry->second.window, entry->second.id);
  byId_.erase(entry->second.id);
  running_.erase(entry);
}

LRESULT CALLBACK TimerSchedulerWin32::WindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<TimerSchedulerWin32*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_TIMER: return self->OnTimer(hwnd, static_cast<UINT_PTR>(wParam));
    default: return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

LRESULT TimerSchedulerWin32::OnTimer(HWND hwnd, UINT_PTR id) {
  Dispatch(hwnd, id);
  return 0;
}

}  // namespace zephyr::ui
