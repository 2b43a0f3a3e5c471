// The real screen port: the display's device capabilities and GetCursorPos.
#pragma once

#include "platform/screen_port.h"

namespace zephyr {

class ScreenWin32 final : public ScreenPort {
 public:
  ScreenSize Size() override;
  ScreenPoint CursorPosition() override;
};

}  // namespace zephyr
