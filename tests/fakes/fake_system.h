// A system whose version record the test chooses.
#pragma once

#include <cstring>
#include <set>
#include <string>

#include "platform/system_port.h"

namespace zephyr::testing {

class FakeSystem final : public SystemPort {
 public:
  // A version record as GetVersionExA would fill it.
  void SetVersion(std::uint32_t platform, std::uint32_t major, std::uint32_t minor,
                  std::uint32_t build = 0) {
    version_ = OsVersionInfo{};
    version_.dwOSVersionInfoSize = sizeof version_;
    version_.dwPlatformId = platform;
    version_.dwMajorVersion = major;
    version_.dwMinorVersion = minor;
    version_.dwBuildNumber = build;
  }
  // The version query fails and leaves the caller's record untouched.
  void FailVersionQuery() { failVersionQuery_ = true; }

  int versionQueries = 0;

  bool GetVersionRecord(OsVersionInfo* info) override {
    ++versionQueries;
    // GetVersionExA refuses a record whose size field is not set.
    if (failVersionQuery_ || info->dwOSVersionInfoSize != sizeof(OsVersionInfo)) return false;
    std::memcpy(info, &version_, sizeof version_);
    return true;
  }

  // Named mutexes that exist on this system, as other processes may have made them.
  std::set<std::string> mutexes;

  bool ClaimSingleInstance(const std::string& mutexName) override {
    return mutexes.insert(mutexName).second;
  }

 private:
  OsVersionInfo version_{};
  bool failVersionQuery_ = false;
};

}  // namespace zephyr::testing
