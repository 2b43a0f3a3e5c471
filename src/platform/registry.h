// Registry access for the whole program: text settings under a hive, the typed write that can
// also delete, and CRegister (text and numeric reads, text writes, deletes, subkey listing).
//
// Every operation turns a failure into a neutral result (the caller's default, 0, false or the
// platform status) and closes every key it opened on every path. None keeps state between calls.
#pragma once

#include <concepts>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/registry_port.h"

namespace zephyr {

// The program's own settings live under HKEY_LOCAL_MACHINE at this path; each settings panel
// appends its subkey text, which begins with a backslash.
inline constexpr std::string_view kSettingsRootKey = "SOFTWARE\\Corvanta\\Zephyrnet";
inline constexpr std::string_view kMainSettingsSubkey = "\\Settings\\MainSettings";
inline constexpr std::string_view kNetPingerSubkey = "\\Settings\\NetPinger";
inline constexpr std::string_view kRamSettingsSubkey = "\\Settings\\RamSettings";

// A value as the program hands it to the registry: a whole number or a text. Its text form is the
// number in decimal or the text unchanged; a Boolean reads "True" or "False", as option buttons
// store their state.
class RegistryValue {
 public:
  RegistryValue(std::string_view text) : text_(text) {}  // NOLINT(google-explicit-constructor)
  RegistryValue(const char* text) : text_(text) {}       // NOLINT(google-explicit-constructor)
  RegistryValue(const std::string& text) : text_(text) {}  // NOLINT(google-explicit-constructor)
  RegistryValue(bool flag) : text_(flag ? "True" : "False") {}  // NOLINT
  template <std::integral T>
    requires(!std::same_as<T, bool> && !std::same_as<T, char>)
  RegistryValue(T number) : text_(std::to_string(number)) {  // NOLINT(google-explicit-constructor)
    if (std::in_range<std::int64_t>(number)) number_ = static_cast<std::int64_t>(number);
  }

  const std::string& Text() const { return text_; }

  // The 32-bit pattern a REG_DWORD write stores: every whole number from -2147483648 to
  // 4294967295 keeps its bits (4294967295 and -1 both give FF FF FF FF). A text counts when it is
  // such a number written in decimal. Anything else has no pattern and is never written.
  std::optional<std::uint32_t> DwordBits() const;

 private:
  std::string text_;
  std::optional<std::int64_t> number_;
};

// Writes `value` as REG_SZ text under hive\keyPath\valueName, creating the key. Returns the
// Win32 status, which a caller that has nothing to tell may ignore.
RegStatus SaveSettingString(RegistryPort& registry, RegKey hive, std::string_view keyPath,
                            std::string_view valueName, const RegistryValue& value);
// SaveSettingString under HKEY_LOCAL_MACHINE.
RegStatus SaveMachineSetting(RegistryPort& registry, std::string_view keyPath,
                             std::string_view valueName, const RegistryValue& value);

// The stored text, whole at any length (a terminating NUL dropped, data without one kept to their
// last character, the value's type ignored), or nothing when the key or value is missing.
std::optional<std::string> QuerySettingString(RegistryPort& registry, RegKey hive,
                                              std::string_view keyPath,
                                              std::string_view valueName);
// QuerySettingString with the caller's default in place of nothing.
std::string GetSettingString(RegistryPort& registry, RegKey hive, std::string_view keyPath,
                             std::string_view valueName, std::string_view defaultValue);
// GetSettingString under HKEY_LOCAL_MACHINE.
std::string GetMachineSetting(RegistryPort& registry, std::string_view keyPath,
                              std::string_view valueName, std::string_view defaultValue);

// Writes (or, with `deleteValue`, deletes) one value of type REG_SZ (1) or REG_DWORD (4). The key
// path is created first, also for a delete; the key itself is never deleted. Returns the Win32
// status: 0 on success, 2 when deleting a value that does not exist. Any other type writes nothing
// and returns 0. A REG_DWORD whose value has no 32-bit pattern writes nothing and returns
// kErrorInvalidParameter.
RegStatus SetRegistryValue(RegistryPort& registry, RegKey hive, std::string_view keyPath,
                           std::string_view valueName, std::uint32_t valueType,
                           const RegistryValue& value, bool deleteValue);
// SetRegistryValue into a key the caller has opened (with KEY_SET_VALUE), for writes that must
// not create their key.
RegStatus SetValueInKey(RegistryPort& registry, RegKey key, std::string_view valueName,
                        std::uint32_t valueType, const RegistryValue& value, bool deleteValue);

// The subkeys of hive\listPath, in enumeration order, through RegOpenKeyA and RegEnumKeyExA with
// a name buffer that holds the longest key name the registry allows (255 characters and the NUL).
// A subkey whose name cannot be fetched is counted as unreadable and the listing goes on with the
// next; it ends at the index that reports no more items, or after a failure that says nothing
// about one name (which counts as unreadable too).
struct SubkeyList {
  bool opened = false;
  std::vector<std::string> names;
  int unreadable = 0;
};
SubkeyList ListSubkeys(RegistryPort& registry, RegKey hive, std::string_view listPath);
// The names ListSubkeys finds; nothing when the key cannot be opened.
std::optional<std::vector<std::string>> EnumerateSubkeys(RegistryPort& registry, RegKey hive,
                                                         std::string_view listPath);

// Stateless registry helper. In its operations a value name of "*" stands for the key's default
// (unnamed) value, and a section path may carry one leading and one trailing backslash.
class CRegister {
 public:
  explicit CRegister(RegistryPort& registry) : registry_(registry) {}

  // Deletes the value sKey of regHKEY\sSection; with an empty sKey deletes the key sSection
  // itself (not when it has subkeys). True exactly when the delete succeeded.
  bool REGDeleteSetting(RegKey regHKEY, std::string_view sSection, std::string_view sKey);
  // The value's text (a terminating NUL dropped, type ignored), or sDefault.
  std::string REGGetSetting(RegKey regHKEY, std::string_view sSection, std::string_view sKey,
                            std::string_view sDefault);
  // Writes sValue as REG_SZ text; true exactly when the write succeeded.
  bool REGSaveSetting(RegKey regHKEY, std::string_view sSection, std::string_view sKey,
                      std::string_view sValue);
  // The names of the subkeys of hKey\strPath in enumeration order; empty when there are none or
  // the key cannot be opened.
  std::vector<std::string> GetAllKeys(RegKey hKey, std::string_view strPath);
  // The value's bytes read as an unsigned little-endian number of any length (a REG_DWORD gives
  // its number), kept at the largest double when it is larger; 0 for a missing key or value or
  // empty data.
  double myREGGetSetting(RegKey regHKEY, std::string_view sSection, std::string_view sKey);

  // Drops one leading and then one trailing backslash: "\a\b\" gives "a\b", "\\a" gives "\a".
  static std::string TrimSlashes(std::string_view path);

 private:
  // Opens the trimmed section with full access, falling back to read access when refused.
  RegStatus OpenSection(RegKey hive, std::string_view sSection, ScopedRegKey& key);
  // Reads the whole value, sized by a first query; nothing when missing, unreadable or empty.
  std::optional<std::string> ReadValueBytes(RegKey hive, std::string_view sSection,
                                            std::string_view sKey);

  RegistryPort& registry_;
};

}  // namespace zephyr
