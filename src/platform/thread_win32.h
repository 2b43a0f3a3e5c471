// A thread of the program's own, on the Win32 thread functions. The shipped program is built
// without the C++ thread library (whose MinGW runtime imports functions Windows 95 to 2000 lack),
// so its few threads use this instead of std::thread.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "platform/win32_handle.h"

namespace zephyr {

class Win32Thread {
 public:
  // Starts `work` on a new thread; Started() tells whether Windows made one.
  explicit Win32Thread(std::function<void()> work);
  Win32Thread(const Win32Thread&) = delete;
  Win32Thread& operator=(const Win32Thread&) = delete;
  // Waits for the work to end: a thread never outlives the objects it was given.
  ~Win32Thread();

  bool Started() const { return static_cast<bool>(handle_); }
  // True once the work has ended, waiting at most `milliseconds` for it.
  bool Wait(DWORD milliseconds) const;

 private:
  static DWORD WINAPI Run(LPVOID work);

  Win32Handle handle_;
};

}  // namespace zephyr
