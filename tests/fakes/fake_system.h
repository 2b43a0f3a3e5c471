// A system whose version record, memory status and processor counters the test chooses.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
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

  // What GetMemoryStatus reports; `memoryQueries` counts the calls.
  MemoryStatus memory{.memoryLoad = 50,
                      .totalPhys = 512ull << 20,
                      .availPhys = 256ull << 20,
                      .totalPageFile = 1024ull << 20,
                      .availPageFile = 768ull << 20,
                      .totalVirtual = 2047ull << 20,
                      .availVirtual = 2000ull << 20};
  int memoryQueries = 0;
  MemoryStatus GetMemoryStatus() override {
    ++memoryQueries;
    return memory;
  }

  // The processor counters NtQuerySystemInformation reports, in 100 ns units, and the status
  // each information class answers with (success unless set).
  std::uint8_t processors = 1;
  std::int64_t idleTime = 0;
  std::int64_t systemTime = 0;
  std::map<std::uint32_t, std::int32_t> queryStatus;
  int systemQueries = 0;
  std::int32_t QuerySystemInformation(std::uint32_t infoClass, void* buffer,
                                      std::uint32_t length) override {
    ++systemQueries;
    if (const auto status = queryStatus.find(infoClass); status != queryStatus.end()) {
      if (status->second != kStatusSuccess) return status->second;
    }
    auto* record = static_cast<unsigned char*>(buffer);
    if (infoClass == kSystemBasicInformation && length >= kBasicInformationLength) {
      record[40] = processors;
    } else if (infoClass == kSystemTimeOfDayInformation && length >= kTimeOfDayInformationLength) {
      std::memcpy(record + 8, &systemTime, 8);
    } else if (infoClass == kSystemPerformanceInformation &&
               length >= kPerformanceInformationLength) {
      std::memcpy(record, &idleTime, 8);
    } else {
      return kStatusInfoLengthMismatch;
    }
    return kStatusSuccess;
  }

 private:
  OsVersionInfo version_{};
  bool failVersionQuery_ = false;
};

}  // namespace zephyr::testing
