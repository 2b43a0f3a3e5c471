// The real system port.
#pragma once

#include "platform/system_port.h"

namespace zephyr {

class SystemWin32 final : public SystemPort {
 public:
  SystemWin32() = default;
  SystemWin32(const SystemWin32&) = delete;
  SystemWin32& operator=(const SystemWin32&) = delete;
  ~SystemWin32() override;

  bool GetVersionRecord(OsVersionInfo* info) override;
  bool ClaimSingleInstance(const std::string& mutexName) override;

 private:
  void* instanceMutex_ = nullptr;
};

}  // namespace zephyr
