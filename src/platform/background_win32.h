// The real background port: each request's work on a thread of its own (Win32Thread), and its
// completion posted to a hidden window of the thread that made the port (made with the first
// request), so `done` runs from that thread's message loop, also while a message box or a menu
// runs its own loop. A message-only window would need Windows 2000; a hidden top-level window
// works from Windows 95 on.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>

#include "platform/background_port.h"
#include "platform/thread_win32.h"

namespace zephyr {

class BackgroundWin32 final : public BackgroundPort {
 public:
  // Call on the user-interface thread.
  BackgroundWin32();
  // Waits for work still running (a ping's echo ends within its timeout) and drops its `done`.
  ~BackgroundWin32() override;
  BackgroundWin32(const BackgroundWin32&) = delete;
  BackgroundWin32& operator=(const BackgroundWin32&) = delete;

  void Run(std::function<void()> work, std::function<void()> done) override;

  // Requests whose `done` has not run yet.
  std::size_t Pending() const { return jobs_.size(); }

 private:
  struct Job {
    std::function<void()> work;
    std::function<void()> done;
    std::unique_ptr<Win32Thread> thread;
  };

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Finished(unsigned id);
  // The hidden window the threads post to, made on first use; null when it cannot be made.
  HWND Window();

  HWND window_ = nullptr;
  bool windowTried_ = false;
  std::map<unsigned, std::unique_ptr<Job>> jobs_;
  unsigned nextId_ = 1;
};

}  // namespace zephyr
