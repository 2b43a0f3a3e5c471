// Regional settings of the United States: month before day and a 12-hour clock, so that text
// order and time order differ ("3/10/2026" sorts before "3/9/2026", "10:00:00 AM" before
// "9:00:00 AM").
#pragma once

#include <string>

#include "platform/locale_port.h"

namespace zephyr::testing {

class FakeLocale final : public LocalePort {
 public:
  std::string FormatShortDate(const LocalDateTime& d) override {
    return std::to_string(d.month) + "/" + std::to_string(d.day) + "/" + std::to_string(d.year);
  }
  std::string FormatShortTime(const LocalDateTime& t) override {
    const int hour = t.hour % 12 == 0 ? 12 : t.hour % 12;
    return std::to_string(hour) + ":" + TwoDigits(t.minute) + ":" + TwoDigits(t.second) +
           (t.hour < 12 ? " AM" : " PM");
  }

 private:
  static std::string TwoDigits(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }
};

}  // namespace zephyr::testing
