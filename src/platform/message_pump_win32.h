// The real message pump: PeekMessageA until the queue is empty.
#pragma once

#include "platform/message_pump_port.h"

namespace zephyr {

class MessagePumpWin32 final : public MessagePumpPort {
 public:
  void DoEvents() override;
};

}  // namespace zephyr
