#include "platform/system_win32.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
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

namespace zephyr {
namespace {

// MEMORYSTATUSEX, which the headers declare only for Windows 2000 and later.
struct MemoryStatusEx {
  DWORD dwLength;
  DWORD dwMemoryLoad;
  DWORDLONG ullTotalPhys;
  DWORDLONG ullAvailPhys;
  DWORDLONG ullTotalPageFile;
  DWORDLONG ullAvailPageFile;
  DWORDLONG ullTotalVirtual;
  DWORDLONG ullAvailVirtual;
  DWORDLONG ullAvailExtendedVirtual;
};
static_assert(sizeof(MemoryStatusEx) == 64);

using GlobalMemoryStatusExFn = BOOL(WINAPI*)(MemoryStatusEx*);
using NtQuerySystemInformationFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

template <class Function>
Function Lookup(const char* module, const char* name) {
  const HMODULE loaded = GetModuleHandleA(module);
  return loaded ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(loaded, name)))
                : nullptr;
}

}  // namespace

MemoryStatus SystemWin32::GetMemoryStatus() {
  // Windows 95, 98 and NT 4.0 have only the 32-bit call, which wraps or caps above 2 or 4 GB.
  static const auto statusEx =
      Lookup<GlobalMemoryStatusExFn>("kernel32.dll", "GlobalMemoryStatusEx");
  if (statusEx) {
    MemoryStatusEx record{};
    record.dwLength = sizeof record;
    if (statusEx(&record)) {
      return {record.dwMemoryLoad,     record.ullTotalPhys,    record.ullAvailPhys,
              record.ullTotalPageFile, record.ullAvailPageFile, record.ullTotalVirtual,
              record.ullAvailVirtual};
    }
  }
  MEMORYSTATUS record{};
  record.dwLength = sizeof record;
  GlobalMemoryStatus(&record);
  return {record.dwMemoryLoad,     record.dwTotalPhys,     record.dwAvailPhys,
          record.dwTotalPageFile,  record.dwAvailPageFile, record.dwTotalVirtual,
          record.dwAvailVirtual};
}

std::int32_t SystemWin32::QuerySystemInformation(std::uint32_t infoClass, void* buffer,
                                                 std::uint32_t length) {
  // ntdll.dll is in every NT process and absent on Windows 9x.
  static const auto query =
      Lookup<NtQuerySystemInformationFn>("ntdll.dll", "NtQuerySystemInformation");
  if (!query) return kStatusNotImplemented;
  if constexpr (sizeof(void*) == 8) {
    // The 64-bit basic record has three pointer-sized fields before the processor count; the
    // program reads the 32-bit layout.
    if (infoClass == kSystemBasicInformation && length == kBasicInformationLength) {
      unsigned char native[64] = {};
      const LONG status = query(infoClass, native, sizeof native, nullptr);
      if (status != 0) return status;
      auto* record = static_cast<unsigned char*>(buffer);
      std::memcpy(record, native, 28);
      for (int field = 0; field < 3; ++field) std::memcpy(record + 28 + 4 * field, native + 32 + 8 * field, 4);
      record[40] = native[56];
      return status;
    }
  }
  return query(infoClass, buffer, length, nullptr);
}

}  // namespace zephyr
