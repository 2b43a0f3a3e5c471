#include "platform/background_win32.h"

#include <utility>

namespace zephyr {
namespace {

constexpr char kWindowClass[] = "ZephyrnetBackgroundDone";
constexpr UINT kFinishedMessage = WM_APP + 40;

}  // namespace

// The window is made with the first request, not at start-up: a hidden top-level window costs
// the first one of a process a good part of its start (the display driver is loaded for it), and
// most runs make no request before the main window is on screen.
BackgroundWin32::BackgroundWin32() = default;

HWND BackgroundWin32::Window() {
  if (window_ || windowTried_) return window_;
  windowTried_ = true;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = &BackgroundWin32::WindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kWindowClass;
  RegisterClassA(&windowClass);  // fails harmlessly when a second port registers it again
  window_ = CreateWindowExA(0, kWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance,
                            nullptr);
  if (window_) SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  return window_;
}

BackgroundWin32::~BackgroundWin32() {
  // Each thread ends by itself; destroying its Win32Thread waits for that.
  for (auto& [id, job] : jobs_) job->thread.reset();
  jobs_.clear();
  if (window_) {
    SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
}

void BackgroundWin32::Run(std::function<void()> work, std::function<void()> done) {
  const unsigned id = nextId_++;
  auto job = std::make_unique<Job>();
  job->work = std::move(work);
  job->done = std::move(done);
  Job* running = job.get();
  jobs_.emplace(id, std::move(job));
  if (HWND window = Window()) {
    // The thread touches only its own job, which stays where it is until it has finished.
    running->thread = std::make_unique<Win32Thread>([running, window, id] {
      running->work();
      PostMessageA(window, kFinishedMessage, static_cast<WPARAM>(id), 0);
    });
    if (running->thread->Started()) return;
  }
  // No thread or no window to hear from it: the work runs here, as it would without threads.
  running->thread.reset();
  running->work();
  Finished(id);
}

void BackgroundWin32::Finished(unsigned id) {
  const auto found = jobs_.find(id);
  if (found == jobs_.end()) return;
  std::unique_ptr<Job> job = std::move(found->second);
  jobs_.erase(found);
  job->thread.reset();  // it has posted and is ending
  job->done();
}

LRESULT CALLBACK BackgroundWin32::WindowProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
  if (message == kFinishedMessage) {
    if (auto* self = reinterpret_cast<BackgroundWin32*>(GetWindowLongPtrA(window, GWLP_USERDATA))) {
      self->Finished(static_cast<unsigned>(wParam));
    }
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace zephyr
