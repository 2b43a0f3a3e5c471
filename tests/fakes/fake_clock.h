// A clock that shows the time the test sets; its millisecond count moves only when the test
// advances it.
#pragma once

#include "platform/clock_port.h"

namespace zephyr::testing {

class FakeClock final : public ClockPort {
 public:
  explicit FakeClock(LocalDateTime now = {2026, 12, 7, 14, 5, 9}) : now_(now) {}
  void Set(LocalDateTime now) { now_ = now; }
  LocalDateTime Now() override { return now_; }
  std::uint32_t TickCountMs() override { return tick_; }
  void Advance(std::uint32_t ms) { tick_ += ms; }

 private:
  LocalDateTime now_;
  std::uint32_t tick_ = 1000;
};

}  // namespace zephyr::testing
