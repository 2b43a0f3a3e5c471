// Registry operations where only the fake can set the scene: refused access, leaked handles,
// values the real registry would not let a test create.
#include <gtest/gtest.h>

#include "fakes/fake_registry.h"
#include "platform/registry.h"

namespace zephyr::testing {
namespace {

const std::string kNetPinger = std::string(kSettingsRootKey) + std::string(kNetPingerSubkey);

TEST(RegistryValue, KeepsThe32BitPatternOrHasNone) {
  EXPECT_EQ(RegistryValue(8192).DwordBits(), 8192u);
  EXPECT_EQ(RegistryValue(-1).DwordBits(), 0xFFFFFFFFu);
  EXPECT_EQ(RegistryValue(4294967295u).DwordBits(), 0xFFFFFFFFu);
  EXPECT_EQ(RegistryValue(-2147483648LL).DwordBits(), 0x80000000u);
  EXPECT_EQ(RegistryValue(-2147483649LL).DwordBits(), std::nullopt);
  EXPECT_EQ(RegistryValue(4294967296LL).DwordBits(), std::nullopt);
  EXPECT_EQ(RegistryValue(18446744073709551615ull).DwordBits(), std::nullopt);
  EXPECT_EQ(RegistryValue("1460").DwordBits(), 1460u);
  EXPECT_EQ(RegistryValue("-1").DwordBits(), 0xFFFFFFFFu);
  for (const char* text : {"", "abc", "12abc", " 12", "1.5", "99999999999999999999"}) {
    EXPECT_EQ(RegistryValue(text).DwordBits(), std::nullopt) << '"' << text << '"';
  }
  EXPECT_EQ(RegistryValue(true).Text(), "True");
  EXPECT_EQ(RegistryValue(false).Text(), "False");
  EXPECT_EQ(RegistryValue(-576).Text(), "-576");
}

TEST(TrimSlashes, RemovesAtMostOneSlashAtEachEnd) {
  EXPECT_EQ(CRegister::TrimSlashes("\\a\\b\\"), "a\\b");
  EXPECT_EQ(CRegister::TrimSlashes("\\\\a"), "\\a");
  EXPECT_EQ(CRegister::TrimSlashes("a\\\\"), "a\\");
  EXPECT_EQ(CRegister::TrimSlashes("a\\b"), "a\\b");
  EXPECT_EQ(CRegister::TrimSlashes("\\"), "");
  EXPECT_EQ(CRegister::TrimSlashes(""), "");
}

TEST(MachineSettings, LiveUnderLocalMachineApartFromTheCurrentUser) {
  FakeRegistry registry;
  SaveMachineSetting(registry, kNetPinger, "txtHost", "127.0.0.1");
  EXPECT_EQ(registry.Get(kHKeyLocalMachine, kNetPinger, "txtHost")->Text(), "127.0.0.1");
  EXPECT_FALSE(registry.HasKey(kHKeyCurrentUser, kNetPinger));
  EXPECT_EQ(GetMachineSetting(registry, kNetPinger, "txtHost", "none"), "127.0.0.1");
  EXPECT_EQ(GetSettingString(registry, kHKeyCurrentUser, kNetPinger, "txtHost", "none"), "none");
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST(MachineSettings, WithoutAdministratorRightsWritesFailQuietlyAndReadsStillWork) {
  FakeRegistry registry;
  registry.PutString(kHKeyLocalMachine, kNetPinger, "txtHost", "127.0.0.1");
  registry.PutDword(kHKeyLocalMachine, kNetPinger, "MSS", 1460);
  registry.DenyWrites(kHKeyLocalMachine, "SOFTWARE");
  const std::string before = registry.Dump();

  SaveMachineSetting(registry, kNetPinger, "txtHost", "127.0.0.2");
  SaveMachineSetting(registry, kNetPinger + "\\New", "txtHost", "127.0.0.2");
  EXPECT_EQ(SetRegistryValue(registry, kHKeyLocalMachine, kNetPinger, "x", kRegDword, 1, false),
            kErrorAccessDenied);
  CRegister reg(registry);
  EXPECT_FALSE(reg.REGSaveSetting(kHKeyLocalMachine, kNetPinger, "txtHost", "x"));
  EXPECT_FALSE(reg.REGDeleteSetting(kHKeyLocalMachine, kNetPinger, "txtHost"));
  EXPECT_EQ(registry.Dump(), before);

  // Reads fall back from full access to read access.
  EXPECT_EQ(GetMachineSetting(registry, kNetPinger, "txtHost", "none"), "127.0.0.1");
  EXPECT_EQ(reg.REGGetSetting(kHKeyLocalMachine, kNetPinger, "txtHost", "none"), "127.0.0.1");
  EXPECT_EQ(reg.myREGGetSetting(kHKeyLocalMachine, kNetPinger, "MSS"), 1460.0);
  EXPECT_EQ(reg.GetAllKeys(kHKeyLocalMachine, std::string(kSettingsRootKey) + "\\Settings"),
            (std::vector<std::string>{"NetPinger"}));
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST(GetSettingString, IgnoresTheTypeAndDropsOnlyATerminatingNul) {
  FakeRegistry registry;
  registry.PutDword(kHKeyCurrentUser, "K", "Word", 0x00434241);
  registry.Put(kHKeyCurrentUser, "K", "NoNul", kRegSz, {'a', 'b'});
  EXPECT_EQ(GetSettingString(registry, kHKeyCurrentUser, "K", "Word", "d"), "ABC");
  EXPECT_EQ(GetSettingString(registry, kHKeyCurrentUser, "K", "NoNul", "d"), "ab");
  CRegister reg(registry);
  EXPECT_EQ(reg.REGGetSetting(kHKeyCurrentUser, "K", "NoNul", "d"), "ab");
  // Empty data are no value at all for CRegister.
  registry.Put(kHKeyCurrentUser, "K", "Empty", kRegSz, {});
  EXPECT_EQ(reg.REGGetSetting(kHKeyCurrentUser, "K", "Empty", "d"), "d");
  EXPECT_EQ(reg.myREGGetSetting(kHKeyCurrentUser, "K", "Empty"), 0.0);
}

TEST(GetAllKeys, AnEmptyPathListsTheGivenKeyWithoutClosingIt) {
  FakeRegistry registry;
  registry.CreatePath(kHKeyCurrentUser, "Parent\\A");
  registry.CreatePath(kHKeyCurrentUser, "Parent\\B");
  RegKey parent = 0;
  ASSERT_EQ(registry.OpenKeyEx(kHKeyCurrentUser, "Parent", kKeyRead, &parent), kErrorSuccess);
  CRegister reg(registry);
  EXPECT_EQ(reg.GetAllKeys(parent, ""), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(reg.GetAllKeys(parent, "A"), (std::vector<std::string>{}));
  EXPECT_EQ(registry.OpenHandleCount(), 1u);
  EXPECT_EQ(registry.CloseKey(parent), kErrorSuccess);
}

}  // namespace
}  // namespace zephyr::testing
