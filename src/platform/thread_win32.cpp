#include "platform/thread_win32.h"

#include <utility>

namespace zephyr {

Win32Thread::Win32Thread(std::function<void()> work) {
  auto owned = std::make_unique<std::function<void()>>(std::move(work));
  // Windows 95 fails the call when it has nowhere to put the thread's identifier.
  DWORD id = 0;
  handle_ = Win32Handle(CreateThread(nullptr, 0, &Win32Thread::Run, owned.get(), 0, &id));
  if (handle_) owned.release();  // the thread owns it now
}

Win32Thread::~Win32Thread() {
  if (handle_) WaitForSingleObject(handle_.get(), INFINITE);
}

bool Win32Thread::Wait(DWORD milliseconds) const {
  return !handle_ || WaitForSingleObject(handle_.get(), milliseconds) == WAIT_OBJECT_0;
}

DWORD WINAPI Win32Thread::Run(LPVOID work) {
  const std::unique_ptr<std::function<void()>> owned(static_cast<std::function<void()>*>(work));
  (*owned)();
  return 0;
}

}  // namespace zephyr
