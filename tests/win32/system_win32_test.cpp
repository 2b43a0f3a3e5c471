// The real system port against the platform's own answer.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/os_version.h"
#include "platform/system_win32.h"
#include "platform/thread_win32.h"

namespace zephyr::testing {
namespace {

TEST(SystemWin32, VersionRecordMatchesThePlatformsOwn) {
  OSVERSIONINFOA expected{};
  expected.dwOSVersionInfoSize = sizeof expected;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  ASSERT_TRUE(GetVersionExA(&expected));
#pragma GCC diagnostic pop

  SystemWin32 system;
  OsVersionInfo info{};
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_TRUE(system.GetVersionRecord(&info));
  EXPECT_EQ(info.dwPlatformId, expected.dwPlatformId);
  EXPECT_EQ(info.dwMajorVersion, expected.dwMajorVersion);
  EXPECT_EQ(info.dwMinorVersion, expected.dwMinorVersion);
  EXPECT_EQ(info.dwBuildNumber, expected.dwBuildNumber);
  EXPECT_STREQ(info.szCSDVersion, expected.szCSDVersion);

  // A record without its size set is refused, as the port promises.
  OsVersionInfo unsized{};
  EXPECT_FALSE(system.GetVersionRecord(&unsized));
  EXPECT_NE(DetectOS(system).code, 0);
}

TEST(Win32Thread, RunsItsWorkElsewhereAndIsWaitedForWhenItGoes) {
  const DWORD caller = GetCurrentThreadId();
  DWORD worker = caller;
  const Win32Handle go(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  {
    Win32Thread thread([&] {
      WaitForSingleObject(go.get(), INFINITE);
      worker = GetCurrentThreadId();
    });
    ASSERT_TRUE(thread.Started());
    EXPECT_FALSE(thread.Wait(0)) << "the work waits for its signal";
    SetEvent(go.get());
  }  // the destructor waits for the work to end
  EXPECT_NE(worker, caller);
}

}  // namespace
}  // namespace zephyr::testing
