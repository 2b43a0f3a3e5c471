// The locale port: dates and times as the user's regional settings write them.
#pragma once

#include <cstdio>
#include <string>

#include "platform/clock_port.h"

namespace zephyr {

class LocalePort {
 public:
  virtual ~LocalePort() = default;
  // GetDateFormatA with the user's short date format; empty when the date cannot be shown.
  virtual std::string FormatShortDate(const LocalDateTime& date) = 0;
  // GetTimeFormatA with the user's time format; empty when the time cannot be shown.
  virtual std::string FormatShortTime(const LocalDateTime& time) = 0;
};

// Dates and times the same way whatever the user's settings (2026-03-09, 14:05:09): what a
// program gets when it is not handed the user's locale.
class IsoLocale final : public LocalePort {
 public:
  std::string FormatShortDate(const LocalDateTime& d) override {
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year, d.month, d.day);
    return text;
  }
  std::string FormatShortTime(const LocalDateTime& t) override {
    char text[48];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return text;
  }
};

inline LocalePort& PortableLocale() {
  static IsoLocale locale;
  return locale;
}

}  // namespace zephyr
