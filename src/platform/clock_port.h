// The clock port: the local date and time, as the backup files record them, and a millisecond
// count for measuring how long something took.
#pragma once

#include <cstdint>

namespace zephyr {

struct LocalDateTime {
  int year = 0;    // four digits
  int month = 0;   // 1 to 12
  int day = 0;     // 1 to 31
  int hour = 0;    // 0 to 23
  int minute = 0;  // 0 to 59
  int second = 0;  // 0 to 59

  friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};

class ClockPort {
 public:
  virtual ~ClockPort() = default;
  // GetLocalTime.
  virtual LocalDateTime Now() = 0;
  // GetTickCount: milliseconds since an arbitrary start, wrapping after 49.7 days.
  virtual std::uint32_t TickCountMs() = 0;
};

}  // namespace zephyr
