// The answers zephyrnet.exe gives its C runtime's wide-character calls (through the ANSI
// functions, which Windows 95, 98 and ME implement) against the system's own wide functions.
#include "platform/floor_shims_win32.h"

#include <gtest/gtest.h>

namespace {

using namespace zephyr::floor;

TEST(FloorShimsWin32, LeadBytesAreTheSystemsForEveryByteOfEachCodePage) {
  for (const UINT codePage : {1252u, 932u, 936u, 949u, 950u}) {
    int leadBytes = 0;
    for (int value = 0; value < 256; ++value) {
      const auto byte = static_cast<BYTE>(value);
      const bool system = IsDBCSLeadByteEx(codePage, byte) != FALSE;
      EXPECT_EQ(IsLeadByteOf(codePage, byte) != FALSE, system) << codePage << ", byte " << value;
      leadBytes += system ? 1 : 0;
    }
    EXPECT_EQ(leadBytes == 0, codePage == 1252)
        << codePage << " has " << leadBytes << " lead bytes";
  }
}

TEST(FloorShimsWin32, WideNamesReachTheSameModulesAndObjects) {
  for (const wchar_t* name : {static_cast<const wchar_t*>(nullptr), L"kernel32.dll", L"MSVCRT",
                              L"no-such-module.dll"}) {
    SetLastError(0);
    const HMODULE system = GetModuleHandleW(name);
    const DWORD systemError = GetLastError();
    SetLastError(0);
    EXPECT_EQ(GetModuleHandleViaAnsi(name), system) << (name ? "named" : "null");
    if (!system) {
      EXPECT_EQ(GetLastError(), systemError);
    }
  }

  const HMODULE loaded = LoadLibraryViaAnsi(L"version.dll");
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded, LoadLibraryW(L"version.dll"));
  FreeLibrary(loaded);
  FreeLibrary(loaded);
  EXPECT_FALSE(LoadLibraryViaAnsi(L"no-such-module.dll"));

  // A lock's semaphore has no name; a named one is found again under its wide name.
  const HANDLE unnamed = CreateSemaphoreViaAnsi(nullptr, 0, 1, nullptr);
  ASSERT_TRUE(unnamed);
  EXPECT_EQ(WaitForSingleObject(unnamed, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_TRUE(ReleaseSemaphore(unnamed, 1, nullptr));
  EXPECT_EQ(WaitForSingleObject(unnamed, 0), static_cast<DWORD>(WAIT_OBJECT_0));
  CloseHandle(unnamed);
  const HANDLE named = CreateSemaphoreViaAnsi(nullptr, 1, 1, L"ZephyrnetFloorShimSemaphore");
  ASSERT_TRUE(named);
  const HANDLE opened = OpenSemaphoreW(SYNCHRONIZE, FALSE, L"ZephyrnetFloorShimSemaphore");
  EXPECT_TRUE(opened);
  if (opened) CloseHandle(opened);
  CloseHandle(named);

  // Thai and a CJK ideograph: no single ANSI code page spells both, and a look-alike would name
  // another module.
  for (const wchar_t* unspellable : {L"\u0E01\u4E00.dll", L"\u0100.dll"}) {
    char ansi[2 * MAX_PATH];
    EXPECT_FALSE(AnsiName(unspellable, ansi, sizeof ansi));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME));
    EXPECT_FALSE(GetModuleHandleViaAnsi(unspellable));
    EXPECT_FALSE(CreateSemaphoreViaAnsi(nullptr, 0, 1, unspellable));
  }
}

}  // namespace
