#include <gtest/gtest.h>

#include "fakes/fake_system.h"
#include "platform/os_version.h"

namespace zephyr::testing {
namespace {

struct Row {
  std::uint32_t platform, major, minor;
  int index;
  OsCode code;
  const char* name;
};

TEST(OsIdentification, EveryVersionRecordGivesItsCodeAndName) {
  const Row rows[] = {
      {0, 3, 10, 0, 1, "Windows 32"},            // Win32s
      {3, 10, 0, 0, 1, "Windows 32"},            // a platform the program does not know
      {1, 4, 0, 1, 2, "Windows 95"},
      {1, 4, 10, 2, 3, "Windows 98"},
      {1, 4, 90, 3, 4, "Windows ME"},
      {1, 4, 3, 0, 1, "Windows 32"},             // unknown 9x minor version
      {1, 7, 10, 2, 3, "Windows 98"},            // the major version is not examined on 9x
      {2, 3, 51, 4, 5, "Windows NT"},
      {2, 4, 0, 4, 5, "Windows NT"},
      {2, 5, 0, 5, 6, "Windows 2000"},
      {2, 5, 1, 6, 7, "Windows XP"},
      {2, 5, 2, 7, 7, "Windows XP or later"},    // Server 2003
      {2, 6, 1, 7, 7, "Windows XP or later"},    // 7
      {2, 10, 0, 7, 7, "Windows XP or later"},   // 10 and 11
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::Message() << "platform " << row.platform << ", version " << row.major
                                      << '.' << row.minor);
    FakeSystem system;
    system.SetVersion(row.platform, row.major, row.minor);
    EXPECT_EQ(GetOSVersionIndex(system), row.index);
    const OsIdentity os = DetectOS(system);
    EXPECT_EQ(os.code, row.code);
    EXPECT_EQ(os.name, row.name);
  }
}

TEST(OsIdentification, NtVersionsAfterXpUseTheNtFamily) {
  FakeSystem system;
  system.SetVersion(kVerPlatformWin32Nt, 6, 2);
  const OsIdentity os = DetectOS(system);
  EXPECT_TRUE(IsNtFamily(os.code));
  EXPECT_FALSE(IsWin9xFamily(os.code));
}

TEST(OsIdentification, AFailedVersionQueryGivesWindows32InThe9xFamily) {
  FakeSystem system;
  system.SetVersion(kVerPlatformWin32Nt, 5, 1);
  system.FailVersionQuery();
  EXPECT_EQ(DetectOS(system), (OsIdentity{kOsWindows32, "Windows 32"}));
  EXPECT_TRUE(IsWin9xFamily(kOsWindows32));
  EXPECT_EQ(system.versionQueries, 1);
}

TEST(OsIdentification, FamiliesSplitAtCodeFive) {
  EXPECT_FALSE(IsWin9xFamily(0));
  EXPECT_FALSE(IsNtFamily(0));
  EXPECT_TRUE(IsWin9xFamily(kOsWindowsMe));
  EXPECT_TRUE(IsNtFamily(kOsWindowsNt));
  EXPECT_FALSE(IsNtFamily(8));
  EXPECT_EQ(OsIdentityOfIndex(42), OsIdentityOfIndex(0));
}

}  // namespace
}  // namespace zephyr::testing
