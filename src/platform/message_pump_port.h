// The message pump port: lets the events waiting in the window system's queue run, as a long
// operation on the window's thread does now and then so the window keeps answering.
#pragma once

#include <memory>

namespace zephyr {

class MessagePumpPort {
 public:
  virtual ~MessagePumpPort() = default;
  // Handles every message waiting now, then returns. A quit request is left for the main loop.
  virtual void DoEvents() = 0;
};

// A pump with no queue behind it, for a program that has no window system.
inline MessagePumpPort& NoMessagePump() {
  class Idle final : public MessagePumpPort {
   public:
    void DoEvents() override {}
  };
  static Idle pump;
  return pump;
}

// Lets the waiting events run `times` times for a panel whose `alive` flag its destructor clears:
// false as soon as the events have ended the program and taken the panel with it.
inline bool LetEventsRun(MessagePumpPort& pump, int times, const std::shared_ptr<bool>& alive) {
  const std::shared_ptr<bool> keep = alive;
  for (int i = 0; i < times; ++i) {
    pump.DoEvents();
    if (!*keep) return false;
  }
  return true;
}

}  // namespace zephyr
