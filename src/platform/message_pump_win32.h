// The real message pump: PeekMessageA until the queue is empty.
#pragma once

#include <windows.h>

#include "platform/message_pump_port.h"

namespace zephyr {

class MessagePumpWin32 final : public MessagePumpPort {
 public:
  // Sees each message first; true when it has handled the message, which then is neither
  // translated nor dispatched (the program's dialog keys). The port knows nothing of windows
  // above it, so whoever builds the pump passes the filter in.
  using MessageFilter = bool (*)(MSG& message);

  explicit MessagePumpWin32(MessageFilter filter = nullptr) : filter_(filter) {}
  void DoEvents() override;

 private:
  MessageFilter filter_;
};

}  // namespace zephyr
