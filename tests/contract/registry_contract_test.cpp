// What the program relies on from the registry, checked against every registry backend.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "contract/registry_contract.h"
#include "platform/registry.h"

namespace zephyr::testing {

std::optional<RegistryContract::Raw> RegistryContract::ReadRaw(const std::string& path,
                                                               const std::string& name) {
  ScopedRegKey key(Port());
  if (Port().OpenKeyEx(kHKeyCurrentUser, path, kKeyRead, key.Receive()) != kErrorSuccess) {
    return std::nullopt;
  }
  Raw raw;
  std::uint32_t size = 0;
  if (Port().QueryValueEx(key.get(), name, &raw.type, nullptr, &size) != kErrorSuccess) {
    return std::nullopt;
  }
  raw.data.resize(size);
  if (Port().QueryValueEx(key.get(), name, &raw.type, raw.data.data(), &size) != kErrorSuccess) {
    return std::nullopt;
  }
  raw.data.resize(size);
  return raw;
}

bool RegistryContract::KeyExists(const std::string& path) {
  ScopedRegKey key(Port());
  return Port().OpenKeyEx(kHKeyCurrentUser, path, kKeyRead, key.Receive()) == kErrorSuccess;
}

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes TextBytes(std::string_view text) {
  Bytes bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

}  // namespace

TEST_P(RegistryContract, SetRegistryValueStoresDwordsLittleEndianAndTextWithItsNul) {
  const std::string key = Under("Tcpip\\Parameters");
  EXPECT_EQ(SetRegistryValue(Port(), kHKeyCurrentUser, key, "TcpWindowSize", kRegDword, 8192, false),
            kErrorSuccess);
  EXPECT_EQ(SetRegistryValue(Port(), kHKeyCurrentUser, key, "DefaultTTL", kRegSz, 64, false),
            kErrorSuccess);
  EXPECT_EQ(SetRegistryValue(Port(), kHKeyCurrentUser, key, "AllOnes", kRegDword, 4294967295u,
                             false),
            kErrorSuccess);
  EXPECT_EQ(SetRegistryValue(Port(), kHKeyCurrentUser, key, "MinusOne", kRegDword, -1, false),
            kErrorSuccess);

  const auto window = ReadRaw(key, "TcpWindowSize");
  ASSERT_TRUE(window);
  EXPECT_EQ(window->type, kRegDword);
  EXPECT_EQ(window->data, (Bytes{0x00, 0x20, 0x00, 0x00}));

  const auto ttl = ReadRaw(key, "DefaultTTL");
  ASSERT_TRUE(ttl);
  EXPECT_EQ(ttl->type, kRegSz);
  EXPECT_EQ(ttl->data, (Bytes{'6', '4', 0}));

  EXPECT_EQ(ReadRaw(key, "AllOnes")->data, (Bytes{0xff, 0xff, 0xff, 0xff}));
  EXPECT_EQ(ReadRaw(key, "MinusOne")->data, (Bytes{0xff, 0xff, 0xff, 0xff}));
}

TEST_P(RegistryContract, SetRegistryValueCreatesMissingParentsAndWritesNothingForOtherTypes) {
  const std::string deep = Under("One\\Two\\Three");
  EXPECT_EQ(SetRegistryValue(Port(), kHKeyCurrentUser, deep, "MTU", kRegDword, 1500, false),
            kErrorSuccess);
  EXPECT_TRUE(KeyExists(Under("One")));
  EXPECT_TRUE(KeyExists(deep));

  // A type the program never writes creates the key and stores nothing, reporting success.
  EXPECT_EQ(SetRegistryValue(Port(), kHKeyCurrentUser, Under("Binary"), "Blob", kRegBinary, 7,
                             false),
            kErrorSuccess);
  EXPECT_TRUE(KeyExists(Under("Binary")));
  EXPECT_FALSE(ReadRaw(Under("Binary"), "Blob"));

  // A REG_DWORD with no 32-bit pattern is refused, not truncated.
  EXPECT_EQ(SetRegistryValue(Port(), kHKeyCurrentUser, deep, "Big", kRegDword, 4294967296LL,
                             false),
            kErrorInvalidParameter);
  EXPECT_EQ(SetRegistryValue(Port(), kHKeyCurrentUser, deep, "Word", kRegDword, "abc", false),
            kErrorInvalidParameter);
  EXPECT_FALSE(ReadRaw(deep, "Big"));
  EXPECT_FALSE(ReadRaw(deep, "Word"));
}

TEST_P(RegistryContract, DeletingRemovesTheValueKeepsTheKeyAndReportsMissingValues) {
  const std::string key = Under("Removals");
  ASSERT_EQ(SetRegistryValue(Port(), kHKeyCurrentUser, key, "MTU", kRegDword, 576, false),
            kErrorSuccess);
  EXPECT_EQ(SetRegistryValue(Port(), kHKeyCurrentUser, key, "MTU", kRegDword, -1, true),
            kErrorSuccess);
  EXPECT_FALSE(ReadRaw(key, "MTU"));
  EXPECT_TRUE(KeyExists(key));

  EXPECT_EQ(SetRegistryValue(Port(), kHKeyCurrentUser, key, "MTU", kRegSz, -1, true),
            kErrorFileNotFound);
  EXPECT_TRUE(KeyExists(key));

  // A delete under a missing key path still leaves the key path behind.
  const std::string missing = Under("NeverWritten\\Tcpip");
  EXPECT_EQ(SetRegistryValue(Port(), kHKeyCurrentUser, missing, "MTU", kRegDword, 0, true),
            kErrorFileNotFound);
  EXPECT_TRUE(KeyExists(missing));
}

TEST_P(RegistryContract, EmptyNameAndStarAddressTheDefaultValue) {
  const std::string key = Under("Browser");
  ASSERT_EQ(SetRegistryValue(Port(), kHKeyCurrentUser, key, "", kRegSz, "Default text", false),
            kErrorSuccess);
  EXPECT_EQ(GetSettingString(Port(), kHKeyCurrentUser, key, "", "none"), "Default text");

  CRegister reg(Port());
  EXPECT_EQ(reg.REGGetSetting(kHKeyCurrentUser, key, "*", "none"), "Default text");
  EXPECT_TRUE(reg.REGSaveSetting(kHKeyCurrentUser, key, "*", "Changed"));
  EXPECT_EQ(ReadRaw(key, "")->data, TextBytes("Changed"));

  EXPECT_EQ(SetRegistryValue(Port(), kHKeyCurrentUser, key, "", kRegSz, 0, true), kErrorSuccess);
  EXPECT_EQ(reg.REGGetSetting(kHKeyCurrentUser, key, "*", "none"), "none");
}

TEST_P(RegistryContract, KeyAndValueNamesCompareWithoutCase) {
  ASSERT_EQ(SetRegistryValue(Port(), kHKeyCurrentUser, Under("MixedCase\\Key"), "MaxMTU",
                             kRegDword, 1500, false),
            kErrorSuccess);
  CRegister reg(Port());
  EXPECT_EQ(reg.myREGGetSetting(kHKeyCurrentUser, Under("MIXEDCASE\\key"), "maxmtu"), 1500.0);

  // Writing under another spelling replaces the value instead of adding a second one.
  ASSERT_EQ(SetRegistryValue(Port(), kHKeyCurrentUser, Under("mixedcase\\KEY"), "MAXMTU",
                             kRegDword, 576, false),
            kErrorSuccess);
  EXPECT_EQ(reg.myREGGetSetting(kHKeyCurrentUser, Under("MixedCase\\Key"), "MaxMTU"), 576.0);
  EXPECT_EQ(reg.GetAllKeys(kHKeyCurrentUser, Under("MixedCase")),
            (std::vector<std::string>{"Key"}));
}

TEST_P(RegistryContract, SettingStringsReadBackExactlyOrGiveTheDefault) {
  const std::string key = Under("Settings\\NetPinger");
  SaveSettingString(Port(), kHKeyCurrentUser, key, "optMode", "Automatic");
  SaveSettingString(Port(), kHKeyCurrentUser, key, "txtInterval", 30);
  SaveSettingString(Port(), kHKeyCurrentUser, key, "optOn", true);
  EXPECT_EQ(ReadRaw(key, "optMode")->data, TextBytes("Automatic"));
  EXPECT_EQ(GetSettingString(Port(), kHKeyCurrentUser, key, "optMode", "x"), "Automatic");
  EXPECT_EQ(GetSettingString(Port(), kHKeyCurrentUser, key, "txtInterval", "x"), "30");
  EXPECT_EQ(GetSettingString(Port(), kHKeyCurrentUser, key, "optOn", "x"), "True");

  EXPECT_EQ(GetSettingString(Port(), kHKeyCurrentUser, Under("Missing"), "optMode", "dflt"),
            "dflt");
  EXPECT_EQ(GetSettingString(Port(), kHKeyCurrentUser, key, "Missing", "dflt"), "dflt");

  // Texts of any length read whole, on either side of the first buffer's 255 bytes.
  for (const std::string& text : {std::string(254, 'a'), std::string(255, 'b'),
                                  std::string(1000, 'c')}) {
    SaveSettingString(Port(), kHKeyCurrentUser, key, "Long", text);
    EXPECT_EQ(GetSettingString(Port(), kHKeyCurrentUser, key, "Long", "dflt"), text);
  }

  // A REG_SZ with no data at all is the empty text, not the default.
  ScopedRegKey raw(Port());
  ASSERT_EQ(Port().CreateKeyEx(kHKeyCurrentUser, key, kKeyAllAccess, raw.Receive()),
            kErrorSuccess);
  ASSERT_EQ(Port().SetValueEx(raw.get(), "Empty", kRegSz, nullptr, 0), kErrorSuccess);
  EXPECT_EQ(GetSettingString(Port(), kHKeyCurrentUser, key, "Empty", "dflt"), "");

  // Data written without a NUL keep their last character. The byte after the counted ones is not
  // a NUL, or the registry would count it in for the writer.
  const char noNul[] = "14609";
  ASSERT_EQ(Port().SetValueEx(raw.get(), "NoNul", kRegSz,
                              reinterpret_cast<const std::uint8_t*>(noNul), 4),
            kErrorSuccess);
  EXPECT_EQ(ReadRaw(key, "NoNul")->data, (Bytes{'1', '4', '6', '0'}));
  EXPECT_EQ(GetSettingString(Port(), kHKeyCurrentUser, key, "NoNul", "dflt"), "1460");
  EXPECT_EQ(CRegister(Port()).REGGetSetting(kHKeyCurrentUser, key, "NoNul", "dflt"), "1460");
}

TEST_P(RegistryContract, QueriesReportSizesAndShortBuffers) {
  const std::string key = Under("Sizes");
  SaveSettingString(Port(), kHKeyCurrentUser, key, "Host", "127.0.0.1");
  ScopedRegKey opened(Port());
  ASSERT_EQ(Port().OpenKeyEx(kHKeyCurrentUser, key, kKeyRead, opened.Receive()), kErrorSuccess);

  std::uint32_t size = 0;
  std::uint32_t type = 0;
  ASSERT_EQ(Port().QueryValueEx(opened.get(), "Host", &type, nullptr, &size), kErrorSuccess);
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(size, 10u);

  std::uint8_t small[4] = {};
  size = sizeof small;
  EXPECT_EQ(Port().QueryValueEx(opened.get(), "Host", nullptr, small, &size), kErrorMoreData);
  EXPECT_EQ(size, 10u);

  size = 0;
  EXPECT_EQ(Port().QueryValueEx(opened.get(), "Nothing", nullptr, nullptr, &size),
            kErrorFileNotFound);
}

TEST_P(RegistryContract, CRegisterTrimsOneSlashAtEachEndOfTheSection) {
  const std::string key = Under("Trim\\Me");
  CRegister reg(Port());
  ASSERT_TRUE(reg.REGSaveSetting(kHKeyCurrentUser, "\\" + key + "\\", "Name", "value"));
  EXPECT_EQ(ReadRaw(key, "Name")->data, TextBytes("value"));
  EXPECT_EQ(reg.REGGetSetting(kHKeyCurrentUser, key, "Name", "dflt"), "value");
  EXPECT_EQ(reg.REGGetSetting(kHKeyCurrentUser, "\\" + key + "\\", "Name", "dflt"), "value");
  EXPECT_EQ(reg.REGGetSetting(kHKeyCurrentUser, key + "\\", "Name", "dflt"), "value");

  // Only one slash goes: a doubled leading slash leaves a path no key answers to.
  EXPECT_EQ(reg.REGGetSetting(kHKeyCurrentUser, "\\\\" + key, "Name", "dflt"), "dflt");
  EXPECT_EQ(reg.myREGGetSetting(kHKeyCurrentUser, "\\\\" + key, "Name"), 0.0);
  EXPECT_FALSE(reg.REGSaveSetting(kHKeyCurrentUser, "\\\\" + key, "Other", "value"));
}

TEST_P(RegistryContract, CRegisterDeletesValuesAndOnlyKeysWithoutSubkeys) {
  CRegister reg(Port());
  const std::string key = Under("Deletes");
  ASSERT_TRUE(reg.REGSaveSetting(kHKeyCurrentUser, key, "Gone", "1"));
  EXPECT_TRUE(reg.REGDeleteSetting(kHKeyCurrentUser, key, "Gone"));
  EXPECT_FALSE(reg.REGDeleteSetting(kHKeyCurrentUser, key, "Gone"));
  EXPECT_FALSE(reg.REGDeleteSetting(kHKeyCurrentUser, Under("NoSuchKey"), "Gone"));

  ASSERT_TRUE(reg.REGSaveSetting(kHKeyCurrentUser, key + "\\Child", "v", "1"));
  EXPECT_FALSE(reg.REGDeleteSetting(kHKeyCurrentUser, key, ""));
  EXPECT_TRUE(KeyExists(key + "\\Child"));
  EXPECT_TRUE(reg.REGDeleteSetting(kHKeyCurrentUser, key + "\\Child", ""));
  EXPECT_FALSE(KeyExists(key + "\\Child"));
  EXPECT_TRUE(reg.REGDeleteSetting(kHKeyCurrentUser, key, ""));
  EXPECT_FALSE(KeyExists(key));
  EXPECT_FALSE(reg.REGDeleteSetting(kHKeyCurrentUser, key, ""));
}

TEST_P(RegistryContract, MyRegGetSettingReadsTheBytesAsALittleEndianNumber) {
  const std::string key = Under("Numbers");
  CRegister reg(Port());
  ASSERT_EQ(SetRegistryValue(Port(), kHKeyCurrentUser, key, "MSS", kRegDword, 1460, false),
            kErrorSuccess);
  ASSERT_EQ(SetRegistryValue(Port(), kHKeyCurrentUser, key, "Max", kRegDword, 4294967295u, false),
            kErrorSuccess);
  ASSERT_EQ(SetRegistryValue(Port(), kHKeyCurrentUser, key, "TTL", kRegSz, 64, false),
            kErrorSuccess);
  EXPECT_EQ(reg.myREGGetSetting(kHKeyCurrentUser, key, "MSS"), 1460.0);
  EXPECT_EQ(reg.myREGGetSetting(kHKeyCurrentUser, key, "Max"), 4294967295.0);
  // The type is ignored: "64" and its NUL are the bytes 0x36 0x34 0x00.
  EXPECT_EQ(reg.myREGGetSetting(kHKeyCurrentUser, key, "TTL"), 0x36 + 0x34 * 256.0);
  EXPECT_EQ(reg.myREGGetSetting(kHKeyCurrentUser, key, "Missing"), 0.0);
  EXPECT_EQ(reg.myREGGetSetting(kHKeyCurrentUser, Under("NoSuchKey"), "MSS"), 0.0);
}

TEST_P(RegistryContract, SubkeysEnumerateInAStableSortedOrder) {
  CRegister reg(Port());
  const std::string key = Under("Interfaces");
  EXPECT_TRUE(reg.GetAllKeys(kHKeyCurrentUser, Under("NoSuchKey")).empty());
  ASSERT_TRUE(reg.REGSaveSetting(kHKeyCurrentUser, key, "v", "1"));
  EXPECT_TRUE(reg.GetAllKeys(kHKeyCurrentUser, key).empty());

  for (const char* name : {"{C2}", "beta", "Alpha", "{a1}", "gamma"}) {
    ASSERT_TRUE(reg.REGSaveSetting(kHKeyCurrentUser, key + "\\" + name, "v", "1"));
  }
  const std::vector<std::string> expected{"Alpha", "beta", "gamma", "{a1}", "{C2}"};
  EXPECT_EQ(reg.GetAllKeys(kHKeyCurrentUser, key), expected);
  EXPECT_EQ(reg.GetAllKeys(kHKeyCurrentUser, key), expected) << "the order must not change";

  ScopedRegKey opened(Port());
  ASSERT_EQ(Port().OpenKey(kHKeyCurrentUser, key, opened.Receive()), kErrorSuccess);
  char name[64];
  std::uint32_t length = sizeof name;
  ASSERT_EQ(Port().EnumKeyEx(opened.get(), 3, name, &length), kErrorSuccess);
  EXPECT_EQ(std::string(name, length), "{a1}");
  length = sizeof name;
  EXPECT_EQ(Port().EnumKeyEx(opened.get(), 5, name, &length), kErrorNoMoreItems);
  EXPECT_EQ(Port().EnumKey(opened.get(), 5, name, sizeof name), kErrorNoMoreItems);

  // A buffer needs room for the NUL: one the name's length is too small, and says so; the next
  // index answers as before. (Wine refuses to make keys of the longest length Windows allows, so
  // a 255-character name is checked on the fake alone.)
  length = 4;
  EXPECT_EQ(Port().EnumKeyEx(opened.get(), 3, name, &length), kErrorMoreData);
  length = 5;
  ASSERT_EQ(Port().EnumKeyEx(opened.get(), 3, name, &length), kErrorSuccess);
  EXPECT_EQ(std::string(name, length), "{a1}");
  length = sizeof name;
  ASSERT_EQ(Port().EnumKeyEx(opened.get(), 4, name, &length), kErrorSuccess);
  EXPECT_EQ(std::string(name, length), "{C2}");
}

TEST_P(RegistryContract, APathMayNotStartWithASlashButRepeatedSlashesInsideCountAsOne) {
  CRegister reg(Port());
  ASSERT_TRUE(reg.REGSaveSetting(kHKeyCurrentUser, Under("Paths\\Inner"), "v", "1"));
  ScopedRegKey key(Port());
  EXPECT_EQ(Port().OpenKeyEx(kHKeyCurrentUser, "\\" + Under("Paths"), kKeyRead, key.Receive()),
            kErrorBadPathname);
  EXPECT_FALSE(key);
  EXPECT_EQ(Port().OpenKeyEx(kHKeyCurrentUser, Under("Paths\\\\Inner"), kKeyRead, key.Receive()),
            kErrorSuccess);
  EXPECT_EQ(Port().OpenKeyEx(kHKeyCurrentUser, Under("Paths") + "\\", kKeyRead, key.Receive()),
            kErrorSuccess);
  EXPECT_EQ(reg.REGGetSetting(kHKeyCurrentUser, Under("Paths\\\\Inner"), "v", "dflt"), "1");
}

}  // namespace zephyr::testing
