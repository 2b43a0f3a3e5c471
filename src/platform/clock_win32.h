// The real clock.
#pragma once

#include "platform/clock_port.h"

namespace zephyr {

class ClockWin32 final : public ClockPort {
 public:
  LocalDateTime Now() override;
  std::uint32_t TickCountMs() override;
};

}  // namespace zephyr
