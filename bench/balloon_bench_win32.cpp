// The balloon message's time to screen under Windows or Wine: from the MsgAuto_box call until the
// balloon is on screen and painted, against a plain topmost window of the same size created,
// shown and painted in the same run. Goal: 2 times the plain window or less.
//   balloon_bench_win32.exe [RUNS]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/screen_win32.h"
#include "timing_win32.h"
#include "ui/message_balloon.h"
#include "ui/message_balloon_win32.h"
#include "ui/timer_scheduler_win32.h"

namespace {

using zephyr::testing::Median;
using zephyr::testing::Milliseconds;

void Pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  GdiFlush();
}

LARGE_INTEGER Now() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  zephyr::ScreenWin32 screen;
  zephyr::ui::TimerSchedulerWin32 timers;
  zephyr::ui::MsgFrm form(screen, timers);
  zephyr::ui::BalloonWindowWin32 balloon(form, instance);

  WNDCLASSA plainClass{};
  plainClass.lpfnWndProc = DefWindowProcA;
  plainClass.hInstance = instance;
  plainClass.hbrBackground = CreateSolidBrush(RGB(242, 248, 200));
  plainClass.lpszClassName = "ZephyrnetPlainTopmost";
  RegisterClassA(&plainClass);

  const zephyr::ScreenSize size = screen.Size();
  std::vector<double> own, plain;
  for (int run = 0; run < runs; ++run) {
    LARGE_INTEGER start = Now();
    form.MsgAuto_box("The Program Still Running Here", 64, "Program notification", 5, true,
                     RGB(242, 248, 200), static_cast<float>(size.width - 40),
                     static_cast<float>(size.height), 0);
    Pump();
    own.push_back(Milliseconds(start, Now()));
    if (!balloon.Hwnd()) {
      std::fprintf(stderr, "the balloon did not appear\n");
      return 1;
    }
    RECT bounds;
    GetWindowRect(balloon.Hwnd(), &bounds);
    form.Unload();
    Pump();

    start = Now();
    HWND window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, plainClass.lpszClassName, "",
                                  WS_POPUP, bounds.left, bounds.top, bounds.right - bounds.left,
                                  bounds.bottom - bounds.top, nullptr, nullptr, instance, nullptr);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    Pump();
    plain.push_back(Milliseconds(start, Now()));
    DestroyWindow(window);
    Pump();
  }
  const double ownMs = Median(own);
  const double plainMs = Median(plain);
  std::printf("balloon to screen (%d runs, medians): MsgAuto_box %.2f ms, plain topmost window "
              "%.2f ms, ratio %.2f (goal 2 or less)\n",
              runs, ownMs, plainMs, ownMs / plainMs);
  return 0;
}
