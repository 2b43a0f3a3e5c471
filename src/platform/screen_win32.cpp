#include "platform/screen_win32.h"

#include <windows.h>

namespace zephyr {

ScreenSize ScreenWin32::Size() {
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  const ScreenSize size{GetDeviceCaps(screen, HORZRES), GetDeviceCaps(screen, VERTRES)};
  ReleaseDC(nullptr, screen);
  return size;
}

ScreenPoint ScreenWin32::CursorPosition() {
  POINT point{};
  // Without a cursor (a locked desktop) the balloon goes to the screen's corner.
  if (!GetCursorPos(&point)) return {};
  return {point.x, point.y};
}

}  // namespace zephyr
