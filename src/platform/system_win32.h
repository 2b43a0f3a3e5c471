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
  MemoryStatus GetMemoryStatus() override;
  std::int32_t QuerySystemInformation(std::uint32_t infoClass, void* buffer,
                                      std::uint32_t length) override;

 private:
  void* instanceMutex_ = nullptr;
};

}  // namespace zephyr
