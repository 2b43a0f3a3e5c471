// Prints the OS code and display name that DetectOS gives on this system, for the per-version
// runs under Wine: "<code> <name>".
#include <cstdio>

#include "platform/os_version.h"
#include "platform/system_win32.h"

int main() {
  zephyr::SystemWin32 system;
  const zephyr::OsIdentity os = zephyr::DetectOS(system);
  std::printf("%d %.*s\n", os.code, static_cast<int>(os.name.size()), os.name.data());
  return 0;
}
