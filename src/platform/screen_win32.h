// The real screen port: the display's device capabilities and GetCursorPos.
#pragma once

#include "platform/screen_port.h"

namespace zephyr {

class ScreenWin32 final : public ScreenPort {
 public:
  // `dpi` is the screen's dots per inch: pixels are reported as layout units of 96 dpi.
  explicit ScreenWin32(int dpi = 96) : dpi_(dpi > 0 ? dpi : 96) {}
  ScreenSize Size() override;
  ScreenPoint CursorPosition() override;

 private:
  int Units(int pixels) const;
  int dpi_;
};

}  // namespace zephyr
