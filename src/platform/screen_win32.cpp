#include "platform/screen_win32.h"

#include <windows.h>

namespace zephyr {

int ScreenWin32::Units(int pixels) const { return MulDiv(pixels, 96, dpi_); }

ScreenSize ScreenWin32::Size() {
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) {
    return {Units(GetSystemMetrics(SM_CXSCREEN)), Units(GetSystemMetrics(SM_CYSCREEN))};
  }
  const ScreenSize size{Units(GetDeviceCaps(screen, HORZRES)),
                        Units(GetDeviceCaps(screen, VERTRES))};
  ReleaseDC(nullptr, screen);
  return size;
}

ScreenPoint ScreenWin32::CursorPosition() {
  POINT point{};
  // Without a cursor (a locked desktop) the balloon goes to the screen's corner.
  if (!GetCursorPos(&point)) return {};
  return {Units(point.x), Units(point.y)};
}

}  // namespace zephyr
