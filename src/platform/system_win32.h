// The real system port.
#pragma once

#include "platform/system_port.h"

namespace zephyr {

class SystemWin32 final : public SystemPort {
 public:
  bool GetVersionRecord(OsVersionInfo* info) override;
};

}  // namespace zephyr
