// A screen of a size the test chooses, with the mouse pointer where the test puts it.
#pragma once

#include "platform/screen_port.h"

namespace zephyr::testing {

class FakeScreen final : public ScreenPort {
 public:
  ScreenSize size{1024, 768};
  ScreenPoint cursor{300, 200};

  ScreenSize Size() override { return size; }
  ScreenPoint CursorPosition() override { return cursor; }
};

}  // namespace zephyr::testing
