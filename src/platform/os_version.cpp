#include "platform/os_version.h"

#include <array>

namespace zephyr {
namespace {

constexpr std::array<OsIdentity, 8> kIdentities = {{
    {kOsWindows32, "Windows 32"},
    {kOsWindows95, "Windows 95"},
    {kOsWindows98, "Windows 98"},
    {kOsWindowsMe, "Windows ME"},
    {kOsWindowsNt, "Windows NT"},
    {kOsWindows2000, "Windows 2000"},
    {kOsWindowsXp, "Windows XP"},
    // Server 2003, Vista and everything since: still the NT layout, never the 9x one.
    {kOsWindowsXp, "Windows XP or later"},
}};

}  // namespace

int VersionIndexOf(const OsVersionInfo& info) {
  const std::uint32_t major = info.dwMajorVersion;
  const std::uint32_t minor = info.dwMinorVersion;
  switch (info.dwPlatformId) {
    case kVerPlatformWin32Windows:
      // The 9x family is told apart by its minor version alone.
      if (minor == 0) return 1;
      if (minor == 10) return 2;
      if (minor == 90) return 3;
      return 0;
    case kVerPlatformWin32Nt:
      if (major < 5) return 4;
      if (major == 5 && minor == 0) return 5;
      if (major == 5 && minor == 1) return 6;
      return 7;
    default:
      return 0;
  }
}

int GetOSVersionIndex(SystemPort& system) {
  OsVersionInfo info{};
  info.dwOSVersionInfoSize = sizeof info;
  // The result is not examined: a failed call leaves the cleared record, platform 0.
  system.GetVersionRecord(&info);
  return VersionIndexOf(info);
}

OsIdentity OsIdentityOfIndex(int versionIndex) {
  if (versionIndex < 0 || versionIndex >= static_cast<int>(kIdentities.size())) {
    return kIdentities[0];
  }
  return kIdentities[static_cast<std::size_t>(versionIndex)];
}

bool DetectVistaOrLater(SystemPort& system) {
  OsVersionInfo info{};
  info.dwOSVersionInfoSize = sizeof info;
  system.GetVersionRecord(&info);
  return IsVistaOrLater(info);
}

OsIdentity DetectOS(SystemPort& system) { return OsIdentityOfIndex(GetOSVersionIndex(system)); }

}  // namespace zephyr
