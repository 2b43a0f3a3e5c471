#include "platform/message_pump_win32.h"

namespace zephyr {

void MessagePumpWin32::DoEvents() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // The main loop ends the program; it must still see the request.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    if (filter_ != nullptr && filter_(message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

}  // namespace zephyr
