#include "ui/tray_win32.h"

#include <algorithm>
#include <utility>

namespace zephyr::ui {

namespace {

constexpr char kTrayWindowClass[] = "ZephyrnetTrayWindow";

bool RegisterTrayClass(HINSTANCE instance, WNDPROC proc) {
  WNDCLASSA existing{};
  if (GetClassInfoA(instance, kTrayWindowClass, &existing)) return true;
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = proc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kTrayWindowClass;
  return RegisterClassA(&windowClass) != 0;
}

}  // namespace

TrayWin32::TrayWin32(NotificationAreaPort& shell, TrayArgs args) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  // Explorer announces a new taskbar to every top-level window, so the control's window is a
  // hidden top-level window: a message-only window would never hear it.
  taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
  if (RegisterTrayClass(instance, &TrayWin32::WindowProc)) {
    hwnd_ = CreateWindowExA(WS_EX_TOOLWINDOW, kTrayWindowClass, "Tray", WS_POPUP, 0, 0, 0, 0,
                            nullptr, nullptr, instance, this);
  }
  args.hwnd = reinterpret_cast<WindowHandle>(hwnd_);
  tray_.emplace(shell, static_cast<TimerScheduler&>(*this), std::move(args));
}

TrayWin32::~TrayWin32() {
  tray_.reset();
  if (hwnd_ != nullptr) {
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

LRESULT CALLBACK TrayWin32::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<TrayWin32*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  // The control is not there while its window is being made or after it has gone.
  if (self == nullptr || !self->tray_) return DefWindowProcA(hwnd, message, wParam, lParam);
  if (message == kTrayCallbackMessage) return self->OnTrayCallback(lParam);
  if (message == WM_TIMER) return self->OnTimer(wParam);
  if (message == self->taskbarCreated_ && message != 0) return self->OnTaskbarCreated();
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT TrayWin32::OnTrayCallback(LPARAM lParam) {
  tray_->HandleCallback(static_cast<std::uint32_t>(lParam));
  return 0;
}

LRESULT TrayWin32::OnTimer(WPARAM id) {
  if (id >= 1 && id <= timers_.size() && timers_[id - 1] != nullptr) timers_[id - 1]->Fire();
  return 0;
}

LRESULT TrayWin32::OnTaskbarCreated() {
  tray_->TaskbarCreated();
  return 0;
}

void TrayWin32::Start(Timer& timer) {
  auto slot = std::find(timers_.begin(), timers_.end(), &timer);
  if (slot == timers_.end()) slot = std::find(timers_.begin(), timers_.end(), nullptr);
  if (slot == timers_.end()) slot = timers_.insert(timers_.end(), nullptr);
  *slot = &timer;
  const auto id = static_cast<UINT_PTR>(slot - timers_.begin()) + 1;
  // SetTimer with a known identifier restarts the count, as a changed interval must.
  if (hwnd_ != nullptr) SetTimer(hwnd_, id, static_cast<UINT>(timer.Interval()), nullptr);
}

void TrayWin32::Stop(Timer& timer) {
  const auto slot = std::find(timers_.begin(), timers_.end(), &timer);
  if (slot == timers_.end()) return;
  *slot = nullptr;
  if (hwnd_ != nullptr) KillTimer(hwnd_, static_cast<UINT_PTR>(slot - timers_.begin()) + 1);
}

}  // namespace zephyr::ui
