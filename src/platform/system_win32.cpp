#include "platform/system_win32.h"

#include <windows.h>

#include <cstddef>
#include <cstring>

namespace zephyr {

static_assert(sizeof(OSVERSIONINFOA) == sizeof(OsVersionInfo));
static_assert(offsetof(OSVERSIONINFOA, dwPlatformId) == offsetof(OsVersionInfo, dwPlatformId));
static_assert(kVerPlatformWin32Windows == VER_PLATFORM_WIN32_WINDOWS &&
              kVerPlatformWin32Nt == VER_PLATFORM_WIN32_NT);

bool SystemWin32::GetVersionRecord(OsVersionInfo* info) {
  // The records share their layout; going through the platform's own type keeps the call honest.
  OSVERSIONINFOA record;
  static_assert(sizeof record == sizeof *info);
  std::memcpy(&record, info, sizeof record);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  const BOOL ok = ::GetVersionExA(&record);
#pragma GCC diagnostic pop
  if (ok) std::memcpy(info, &record, sizeof record);
  return ok != FALSE;
}

SystemWin32::~SystemWin32() {
  if (instanceMutex_) CloseHandle(instanceMutex_);
}

bool SystemWin32::ClaimSingleInstance(const std::string& mutexName) {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, mutexName.c_str());
  const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
  if (!mutex) return true;  // no mutex to be had: better one more copy than none at all
  if (existed) {
    CloseHandle(mutex);
    return false;
  }
  instanceMutex_ = mutex;
  return true;
}

}  // namespace zephyr
