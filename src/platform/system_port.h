// The system port: what the program asks the operating system about itself. It starts with the
// version record; the memory status and the processor statistics join it as their features land.
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
};

}  // namespace zephyr
