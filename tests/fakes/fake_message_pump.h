// A message pump that counts the times it was asked to run pending events and can run a test's
// own events then, as a real queue would run a timer tick or a click.
#pragma once

#include <functional>

#include "platform/message_pump_port.h"

namespace zephyr::testing {

class FakeMessagePump final : public MessagePumpPort {
 public:
  int yields = 0;
  // Runs inside every DoEvents, after the count is taken.
  std::function<void()> pending;

  void DoEvents() override {
    ++yields;
    if (pending) pending();
  }
};

}  // namespace zephyr::testing
