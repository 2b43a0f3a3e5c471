#include "platform/clock_win32.h"

#include <windows.h>

namespace zephyr {

LocalDateTime ClockWin32::Now() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

std::uint32_t ClockWin32::TickCountMs() { return GetTickCount(); }

}  // namespace zephyr
