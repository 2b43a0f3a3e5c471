// The real registry port: advapi32's ANSI calls, nothing added.
#pragma once

#include "platform/registry_port.h"

namespace zephyr {

class RegistryWin32 final : public RegistryPort {
 public:
  RegStatus CreateKeyEx(RegKey parent, const std::string& subkey, std::uint32_t access,
                        RegKey* result) override;
  RegStatus OpenKeyEx(RegKey parent, const std::string& subkey, std::uint32_t access,
                      RegKey* result) override;
  RegStatus OpenKey(RegKey parent, const std::string& subkey, RegKey* result) override;
  RegStatus QueryValueEx(RegKey key, const std::string& name, std::uint32_t* type,
                         std::uint8_t* data, std::uint32_t* size) override;
  RegStatus SetValueEx(RegKey key, const std::string& name, std::uint32_t type,
                       const std::uint8_t* data, std::uint32_t size) override;
  RegStatus DeleteValue(RegKey key, const std::string& name) override;
  RegStatus DeleteKey(RegKey key, const std::string& subkey) override;
  RegStatus EnumKey(RegKey key, std::uint32_t index, char* name, std::uint32_t capacity) override;
  RegStatus EnumKeyEx(RegKey key, std::uint32_t index, char* name,
                      std::uint32_t* length) override;
  RegStatus CloseKey(RegKey key) override;
};

}  // namespace zephyr
