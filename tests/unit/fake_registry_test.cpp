// The fake's own rules that the contract suite cannot reach: what the real registry under Wine
// would not let a test do (a second hive, refused access, deleted keys still held open).
#include <gtest/gtest.h>

#include "fakes/fake_registry.h"

namespace zephyr::testing {
namespace {

TEST(FakeRegistry, HivesAreSeparateAndOtherHivesAreInvalid) {
  FakeRegistry registry;
  registry.PutString(kHKeyLocalMachine, "SOFTWARE\\A", "v", "machine");
  registry.PutString(kHKeyCurrentUser, "SOFTWARE\\A", "v", "user");
  EXPECT_EQ(registry.Get(kHKeyLocalMachine, "software\\a", "V")->Text(), "machine");
  EXPECT_EQ(registry.Get(kHKeyCurrentUser, "SOFTWARE\\A", "v")->Text(), "user");
  RegKey key = 1;
  EXPECT_EQ(registry.OpenKeyEx(0x80000003 /* HKEY_USERS */, "", kKeyRead, &key),
            kErrorInvalidHandle);
  EXPECT_EQ(key, 0u);
  EXPECT_EQ(registry.CloseKey(0x1234), kErrorInvalidHandle);
}

TEST(FakeRegistry, AHandleAllowsOnlyWhatItWasOpenedFor) {
  FakeRegistry registry;
  registry.PutString(kHKeyCurrentUser, "K", "v", "1");
  ScopedRegKey readOnly(registry);
  ASSERT_EQ(registry.OpenKeyEx(kHKeyCurrentUser, "K", kKeyRead, readOnly.Receive()),
            kErrorSuccess);
  const std::uint8_t data[] = {'2', 0};
  EXPECT_EQ(registry.SetValueEx(readOnly.get(), "v", kRegSz, data, 2), kErrorAccessDenied);
  EXPECT_EQ(registry.DeleteValue(readOnly.get(), "v"), kErrorAccessDenied);

  ScopedRegKey writeOnly(registry);
  ASSERT_EQ(registry.OpenKeyEx(kHKeyCurrentUser, "K", kKeySetValue, writeOnly.Receive()),
            kErrorSuccess);
  std::uint32_t size = 0;
  EXPECT_EQ(registry.QueryValueEx(writeOnly.get(), "v", nullptr, nullptr, &size),
            kErrorAccessDenied);
  char name[8];
  EXPECT_EQ(registry.EnumKey(writeOnly.get(), 0, name, sizeof name), kErrorAccessDenied);
}

TEST(FakeRegistry, DeniedWritesCoverTheSubtreeButNotItsNeighbours) {
  FakeRegistry registry;
  registry.DenyWrites(kHKeyLocalMachine, "SYSTEM\\CurrentControlSet");
  RegKey key = 0;
  EXPECT_EQ(registry.CreateKeyEx(kHKeyLocalMachine, "SYSTEM\\CurrentControlSet\\Services\\x",
                                 kKeyAllAccess, &key),
            kErrorAccessDenied);
  EXPECT_FALSE(registry.HasKey(kHKeyLocalMachine, "SYSTEM\\CurrentControlSet\\Services"));
  EXPECT_EQ(registry.OpenKeyEx(kHKeyLocalMachine, "SYSTEM\\CurrentControlSet", kKeyAllAccess, &key),
            kErrorAccessDenied);
  ASSERT_EQ(registry.OpenKeyEx(kHKeyLocalMachine, "SYSTEM\\CurrentControlSet", kKeyRead, &key),
            kErrorSuccess);
  EXPECT_EQ(registry.CloseKey(key), kErrorSuccess);
  ASSERT_EQ(registry.CreateKeyEx(kHKeyLocalMachine, "SYSTEM\\Other", kKeyAllAccess, &key),
            kErrorSuccess);
  EXPECT_EQ(registry.CloseKey(key), kErrorSuccess);
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST(FakeRegistry, AHandleToADeletedKeyReportsItDeleted) {
  FakeRegistry registry;
  registry.CreatePath(kHKeyCurrentUser, "Parent\\Child");
  ScopedRegKey child(registry);
  ASSERT_EQ(registry.OpenKeyEx(kHKeyCurrentUser, "Parent\\Child", kKeyAllAccess, child.Receive()),
            kErrorSuccess);
  ScopedRegKey parent(registry);
  ASSERT_EQ(registry.OpenKeyEx(kHKeyCurrentUser, "Parent", kKeyAllAccess, parent.Receive()),
            kErrorSuccess);
  ASSERT_EQ(registry.DeleteKey(parent.get(), "child"), kErrorSuccess);
  EXPECT_EQ(registry.DeleteKey(parent.get(), "Child"), kErrorFileNotFound);
  const std::uint8_t data[] = {0};
  EXPECT_EQ(registry.SetValueEx(child.get(), "v", kRegSz, data, 1), kErrorKeyDeleted);
  EXPECT_FALSE(registry.HasKey(kHKeyCurrentUser, "Parent\\Child"));
  // A hive itself is never deleted.
  EXPECT_EQ(registry.DeleteKey(kHKeyCurrentUser, ""), kErrorAccessDenied);
}

TEST(FakeRegistry, DumpShowsEveryKeyAndValueInAStableForm) {
  FakeRegistry registry;
  registry.PutDword(kHKeyLocalMachine, "B\\C", "MTU", 1500);
  registry.PutString(kHKeyCurrentUser, "A", "", "x");
  EXPECT_EQ(registry.Dump(),
            "[HKEY_CURRENT_USER]\n"
            "[HKEY_CURRENT_USER\\A]\n"
            "  \"\" type 1: 78 00\n"
            "[HKEY_LOCAL_MACHINE]\n"
            "[HKEY_LOCAL_MACHINE\\B]\n"
            "[HKEY_LOCAL_MACHINE\\B\\C]\n"
            "  \"MTU\" type 4: dc 05 00 00\n");
}

}  // namespace
}  // namespace zephyr::testing
