// Which Windows the program runs on: read once at start-up and turned into the OS code that
// chooses registry layouts, control-panel pages and the tray notice, and is written into every
// backup file.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/system_port.h"

namespace zephyr {

// Codes 1 to 4 are the Windows 9x family, 5 to 7 the NT family; 0 until DetectOS has run.
using OsCode = std::int16_t;

inline constexpr OsCode kOsWindows32 = 1;
inline constexpr OsCode kOsWindows95 = 2;
inline constexpr OsCode kOsWindows98 = 3;
inline constexpr OsCode kOsWindowsMe = 4;
inline constexpr OsCode kOsWindowsNt = 5;
inline constexpr OsCode kOsWindows2000 = 6;
inline constexpr OsCode kOsWindowsXp = 7;

struct OsIdentity {
  OsCode code = 0;
  std::string_view name;

  friend bool operator==(const OsIdentity&, const OsIdentity&) = default;
};

// The version index, 0 to 7, of a version record:
//   0 anything not below (Win32s, unknown platforms, unknown 9x minor versions)
//   1 Windows 95, 2 Windows 98, 3 Windows ME (platform 1, minor 0, 10, 90)
//   4 Windows NT (platform 2, major below 5), 5 Windows 2000 (5.0), 6 Windows XP (5.1)
//   7 every later NT version (5.2 and up).
int VersionIndexOf(const OsVersionInfo& info);

// Asks the system for its version record (cleared, size field set) and gives its index. A failed
// query leaves the cleared record, which is platform 0 and so index 0.
int GetOSVersionIndex(SystemPort& system);

// The OS code and display name of a version index; unknown indexes are index 0's.
OsIdentity OsIdentityOfIndex(int versionIndex);

// Reads the version once and gives the OS code with its display name. NT versions after XP keep
// the NT code 7, named "Windows XP or later", so they get the NT registry layout.
OsIdentity DetectOS(SystemPort& system);

// Whether the version record is Windows Vista or a later NT version (6.0 and up), whose TCP/IP
// no longer reads some of the values the program writes.
inline bool IsVistaOrLater(const OsVersionInfo& info) {
  return info.dwPlatformId == kVerPlatformWin32Nt && info.dwMajorVersion >= 6;
}
// The same for the running system.
bool DetectVistaOrLater(SystemPort& system);

inline bool IsWin9xFamily(OsCode code) { return code >= kOsWindows32 && code <= kOsWindowsMe; }
inline bool IsNtFamily(OsCode code) { return code >= kOsWindowsNt && code <= kOsWindowsXp; }

}  // namespace zephyr
