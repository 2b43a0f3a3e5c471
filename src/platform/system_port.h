// The system port: what the program asks the operating system about itself: the version record,
// the memory status and the processor statistics of NtQuerySystemInformation.
#pragma once

#include <cstdint>
#include <string>

namespace zephyr {

// The platform's OSVERSIONINFOA, byte for byte: the size field must hold 148 before the call.
struct OsVersionInfo {
  std::uint32_t dwOSVersionInfoSize;
  std::uint32_t dwMajorVersion;
  std::uint32_t dwMinorVersion;
  std::uint32_t dwBuildNumber;
  std::uint32_t dwPlatformId;
  char szCSDVersion[128];
};
static_assert(sizeof(OsVersionInfo) == 148, "OSVERSIONINFOA is 148 bytes");

inline constexpr std::uint32_t kVerPlatformWin32s = 0;
inline constexpr std::uint32_t kVerPlatformWin32Windows = 1;
inline constexpr std::uint32_t kVerPlatformWin32Nt = 2;

// The memory status in bytes, 64 bits wide: GlobalMemoryStatusEx's figures where the system has
// it, GlobalMemoryStatus's (at most 4 GB, capped by the system) elsewhere.
struct MemoryStatus {
  std::uint32_t memoryLoad = 0;  // percent in use
  std::uint64_t totalPhys = 0;
  std::uint64_t availPhys = 0;
  std::uint64_t totalPageFile = 0;
  std::uint64_t availPageFile = 0;
  std::uint64_t totalVirtual = 0;
  std::uint64_t availVirtual = 0;
};

// NtQuerySystemInformation's information classes the program reads, and the record lengths it
// passes. The records have the 32-bit layout on every build: the number of processors is the
// byte at offset 40 of the basic record, the current time the 8 bytes at offset 8 of the time
// record, the idle time the 8 bytes at offset 0 of the performance record.
inline constexpr std::uint32_t kSystemBasicInformation = 0;
inline constexpr std::uint32_t kSystemPerformanceInformation = 2;
inline constexpr std::uint32_t kSystemTimeOfDayInformation = 3;
inline constexpr std::uint32_t kBasicInformationLength = 44;
inline constexpr std::uint32_t kPerformanceInformationLength = 312;
inline constexpr std::uint32_t kTimeOfDayInformationLength = 32;
// NTSTATUS values.
inline constexpr std::int32_t kStatusSuccess = 0;
inline constexpr std::int32_t kStatusNotImplemented = static_cast<std::int32_t>(0xC0000002u);
inline constexpr std::int32_t kStatusInfoLengthMismatch = static_cast<std::int32_t>(0xC0000004u);

class SystemPort {
 public:
  virtual ~SystemPort() = default;

  // GetVersionExA (named apart from the <windows.h> macro): fills the record whose size field the caller set; false on failure, when the
  // record may be left as it was.
  virtual bool GetVersionRecord(OsVersionInfo* info) = 0;

  // Creates the named mutex that marks a running instance and keeps it for the life of the
  // process. False when it existed already: another instance is running. Creating and testing in
  // one call leaves no gap between two copies started at the same moment.
  virtual bool ClaimSingleInstance(const std::string& mutexName) = 0;

  // The memory status now; never cached by the port (the system itself may be).
  virtual MemoryStatus GetMemoryStatus() = 0;

  // NtQuerySystemInformation of ntdll.dll into a record of `length` bytes in the 32-bit layout;
  // the NTSTATUS, kStatusNotImplemented where the system has no such function (Windows 9x).
  virtual std::int32_t QuerySystemInformation(std::uint32_t infoClass, void* buffer,
                                              std::uint32_t length) = 0;
};

}  // namespace zephyr
