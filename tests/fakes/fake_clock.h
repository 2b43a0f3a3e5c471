// A clock that shows the time the test sets.
#pragma once

#include "platform/clock_port.h"

namespace zephyr::testing {

class FakeClock final : public ClockPort {
 public:
  explicit FakeClock(LocalDateTime now = {2026, 12, 7, 14, 5, 9}) : now_(now) {}
  void Set(LocalDateTime now) { now_ = now; }
  LocalDateTime Now() override { return now_; }

 private:
  LocalDateTime now_;
};

}  // namespace zephyr::testing
