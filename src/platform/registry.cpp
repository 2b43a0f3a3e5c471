#include "platform/registry.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <limits>

namespace zephyr {
namespace {

// REG_SZ data as the registry holds it: the text followed by its terminating NUL.
std::basic_string<std::uint8_t> SzBytes(std::string_view text) {
  std::basic_string<std::uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

RegStatus WriteSz(RegistryPort& registry, RegKey key, std::string_view name,
                  std::string_view text) {
  const auto bytes = SzBytes(text);
  return registry.SetValueEx(key, std::string(name), kRegSz, bytes.data(),
                             static_cast<std::uint32_t>(bytes.size()));
}

// In CRegister's operations "*" names the key's default value.
std::string CRegisterValueName(std::string_view sKey) {
  return sKey == "*" ? std::string() : std::string(sKey);
}

// The buffer GetSettingString reads into first; longer data are read again into one of their size.
constexpr std::uint32_t kSettingBufferSize = 255;

// A key name is at most 255 characters; the buffer that fetches one also holds its NUL.
constexpr std::uint32_t kKeyNameCapacity = 256;

// A text value's characters: a terminating NUL is dropped, but data written without one keep
// their last character ("1460" stays 1460).
std::string TextOf(std::string data) {
  if (!data.empty() && data.back() == '\0') data.pop_back();
  return data;
}

}  // namespace

std::optional<std::uint32_t> RegistryValue::DwordBits() const {
  std::optional<std::int64_t> number = number_;
  if (!number) {
    std::int64_t parsed = 0;
    const char* first = text_.data();
    const char* last = first + text_.size();
    const auto [end, error] = std::from_chars(first, last, parsed);
    if (text_.empty() || error != std::errc() || end != last) return std::nullopt;
    number = parsed;
  }
  if (*number < std::numeric_limits<std::int32_t>::min() ||
      *number > std::numeric_limits<std::uint32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::uint32_t>(*number);
}

RegStatus SaveSettingString(RegistryPort& registry, RegKey hive, std::string_view keyPath,
                            std::string_view valueName, const RegistryValue& value) {
  ScopedRegKey key(registry);
  const RegStatus opened =
      registry.CreateKeyEx(hive, std::string(keyPath), kKeyAllAccess, key.Receive());
  if (opened != kErrorSuccess) return opened;
  return WriteSz(registry, key.get(), valueName, value.Text());
}

RegStatus SaveMachineSetting(RegistryPort& registry, std::string_view keyPath,
                             std::string_view valueName, const RegistryValue& value) {
  return SaveSettingString(registry, kHKeyLocalMachine, keyPath, valueName, value);
}

std::optional<std::string> QuerySettingString(RegistryPort& registry, RegKey hive,
                                              std::string_view keyPath,
                                              std::string_view valueName) {
  ScopedRegKey key(registry);
  if (registry.OpenKeyEx(hive, std::string(keyPath), kKeyRead, key.Receive()) != kErrorSuccess) {
    return std::nullopt;
  }
  const std::string name(valueName);
  std::string data(kSettingBufferSize, '\0');
  std::uint32_t size = kSettingBufferSize;
  RegStatus status = registry.QueryValueEx(key.get(), name, nullptr,
                                           reinterpret_cast<std::uint8_t*>(data.data()), &size);
  // The value may grow between two queries; a few tries are enough for any real writer.
  for (int attempt = 0; status == kErrorMoreData && attempt < 3; ++attempt) {
    data.assign(size, '\0');
    status = registry.QueryValueEx(key.get(), name, nullptr,
                                   reinterpret_cast<std::uint8_t*>(data.data()), &size);
  }
  if (status != kErrorSuccess) return std::nullopt;
  data.resize(std::min<std::size_t>(size, data.size()));
  return TextOf(std::move(data));
}

std::string GetSettingString(RegistryPort& registry, RegKey hive, std::string_view keyPath,
                             std::string_view valueName, std::string_view defaultValue) {
  auto text = QuerySettingString(registry, hive, keyPath, valueName);
  return text ? std::move(*text) : std::string(defaultValue);
}

std::string GetMachineSetting(RegistryPort& registry, std::string_view keyPath,
                              std::string_view valueName, std::string_view defaultValue) {
  return GetSettingString(registry, kHKeyLocalMachine, keyPath, valueName, defaultValue);
}

RegStatus SetRegistryValue(RegistryPort& registry, RegKey hive, std::string_view keyPath,
                           std::string_view valueName, std::uint32_t valueType,
                           const RegistryValue& value, bool deleteValue) {
  // The key path is made first, for a delete too, so callers can rely on it existing afterwards.
  ScopedRegKey key(registry);
  const RegStatus opened =
      registry.CreateKeyEx(hive, std::string(keyPath), kKeyWriteAndRead, key.Receive());
  if (opened != kErrorSuccess) return opened;
  return SetValueInKey(registry, key.get(), valueName, valueType, value, deleteValue);
}

RegStatus SetValueInKey(RegistryPort& registry, RegKey key, std::string_view valueName,
                        std::uint32_t valueType, const RegistryValue& value, bool deleteValue) {
  if (valueType != kRegSz && valueType != kRegDword) return kErrorSuccess;
  if (deleteValue) return registry.DeleteValue(key, std::string(valueName));

  if (valueType == kRegSz) return WriteSz(registry, key, valueName, value.Text());

  const auto bits = value.DwordBits();
  if (!bits) return kErrorInvalidParameter;
  const std::uint8_t data[4] = {
      static_cast<std::uint8_t>(*bits), static_cast<std::uint8_t>(*bits >> 8),
      static_cast<std::uint8_t>(*bits >> 16), static_cast<std::uint8_t>(*bits >> 24)};
  return registry.SetValueEx(key, std::string(valueName), kRegDword, data, sizeof data);
}

SubkeyList ListSubkeys(RegistryPort& registry, RegKey hive, std::string_view listPath) {
  SubkeyList list;
  ScopedRegKey key(registry);
  if (registry.OpenKey(hive, std::string(listPath), key.Receive()) != kErrorSuccess) return list;
  list.opened = true;
  const RegKey listed = key.get();
  if (listed == hive) key.Release();

  for (std::uint32_t index = 0;; ++index) {
    char name[kKeyNameCapacity];
    std::uint32_t length = kKeyNameCapacity;
    const RegStatus status = registry.EnumKeyEx(listed, index, name, &length);
    if (status == kErrorNoMoreItems) break;
    if (status == kErrorSuccess) {
      list.names.emplace_back(name, std::min(length, kKeyNameCapacity - 1));
      continue;
    }
    ++list.unreadable;
    // Only a name too long for the buffer is one subkey's own trouble; anything else (a key
    // deleted meanwhile, access withdrawn) would answer the same for every further index.
    if (status != kErrorMoreData) break;
  }
  return list;
}

std::optional<std::vector<std::string>> EnumerateSubkeys(RegistryPort& registry, RegKey hive,
                                                         std::string_view listPath) {
  SubkeyList list = ListSubkeys(registry, hive, listPath);
  if (!list.opened) return std::nullopt;
  return std::move(list.names);
}

std::string CRegister::TrimSlashes(std::string_view path) {
  if (!path.empty() && path.front() == '\\') path.remove_prefix(1);
  if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  return std::string(path);
}

RegStatus CRegister::OpenSection(RegKey hive, std::string_view sSection, ScopedRegKey& key) {
  const std::string section = TrimSlashes(sSection);
  RegStatus status = registry_.OpenKeyEx(hive, section, kKeyAllAccess, key.Receive());
  if (status == kErrorAccessDenied) {
    status = registry_.OpenKeyEx(hive, section, kKeyRead, key.Receive());
  }
  return status;
}

std::optional<std::string> CRegister::ReadValueBytes(RegKey hive, std::string_view sSection,
                                                     std::string_view sKey) {
  ScopedRegKey key(registry_);
  if (OpenSection(hive, sSection, key) != kErrorSuccess) return std::nullopt;

  const std::string name = CRegisterValueName(sKey);
  std::uint32_t size = 0;
  if (registry_.QueryValueEx(key.get(), name, nullptr, nullptr, &size) != kErrorSuccess ||
      size == 0) {
    return std::nullopt;
  }
  std::string data(size, '\0');
  if (registry_.QueryValueEx(key.get(), name, nullptr,
                             reinterpret_cast<std::uint8_t*>(data.data()),
                             &size) != kErrorSuccess) {
    return std::nullopt;
  }
  data.resize(std::min<std::size_t>(size, data.size()));
  return data;
}

std::string CRegister::REGGetSetting(RegKey regHKEY, std::string_view sSection,
                                     std::string_view sKey, std::string_view sDefault) {
  auto data = ReadValueBytes(regHKEY, sSection, sKey);
  if (!data || data->empty()) return std::string(sDefault);
  return TextOf(std::move(*data));
}

bool CRegister::REGSaveSetting(RegKey regHKEY, std::string_view sSection, std::string_view sKey,
                               std::string_view sValue) {
  ScopedRegKey key(registry_);
  if (registry_.CreateKeyEx(regHKEY, TrimSlashes(sSection), kKeyAllAccess, key.Receive()) !=
      kErrorSuccess) {
    return false;
  }
  return WriteSz(registry_, key.get(), CRegisterValueName(sKey), sValue) == kErrorSuccess;
}

bool CRegister::REGDeleteSetting(RegKey regHKEY, std::string_view sSection,
                                 std::string_view sKey) {
  ScopedRegKey key(registry_);
  if (!sKey.empty()) {
    if (registry_.OpenKeyEx(regHKEY, TrimSlashes(sSection), kKeyAllAccess, key.Receive()) !=
        kErrorSuccess) {
      return false;
    }
    return registry_.DeleteValue(key.get(), CRegisterValueName(sKey)) == kErrorSuccess;
  }
  // Deleting a whole key: the section is taken as it stands, relative to the hive.
  if (registry_.OpenKeyEx(regHKEY, std::string(), kKeyAllAccess, key.Receive()) !=
      kErrorSuccess) {
    return false;
  }
  return registry_.DeleteKey(key.get(), std::string(sSection)) == kErrorSuccess;
}

std::vector<std::string> CRegister::GetAllKeys(RegKey hKey, std::string_view strPath) {
  std::vector<std::string> names;
  ScopedRegKey key(registry_);
  if (registry_.OpenKey(hKey, std::string(strPath), key.Receive()) != kErrorSuccess) {
    return names;
  }
  // For an empty path RegOpenKeyA hands back the caller's own key, which is not ours to close.
  const RegKey enumerated = key.get();
  if (enumerated == hKey) key.Release();

  for (std::uint32_t index = 0;; ++index) {
    char name[kKeyNameCapacity];
    std::fill(std::begin(name), std::end(name), ' ');
    if (registry_.EnumKey(enumerated, index, name, kKeyNameCapacity) != kErrorSuccess) break;
    const std::string_view whole(name, kKeyNameCapacity);
    names.emplace_back(whole.substr(0, whole.find('\0')));
  }
  return names;
}

double CRegister::myREGGetSetting(RegKey regHKEY, std::string_view sSection,
                                  std::string_view sKey) {
  const auto data = ReadValueBytes(regHKEY, sSection, sKey);
  if (!data) return 0;
  // Zero bytes add nothing, however far up they are; a number beyond what a double holds stays at
  // the largest one instead of becoming infinite (and, times a zero byte, not a number at all).
  constexpr double kLargest = std::numeric_limits<double>::max();
  double number = 0;
  double weight = 1;
  for (const char byte : *data) {
    const auto digit = static_cast<unsigned char>(byte);
    if (digit != 0) {
      number += static_cast<double>(digit) * weight;
      if (!(number <= kLargest)) return kLargest;
    }
    weight *= 256;
  }
  return number;
}

}  // namespace zephyr
