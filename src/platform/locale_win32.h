// The real locale: the current user's regional settings.
#pragma once

#include "platform/locale_port.h"

namespace zephyr {

class LocaleWin32 final : public LocalePort {
 public:
  std::string FormatShortDate(const LocalDateTime& date) override;
  std::string FormatShortTime(const LocalDateTime& time) override;
};

}  // namespace zephyr
