#include "backup/earlier_values.h"

#include <charconv>

#include "backup/backup_layout.h"
#include "platform/registry.h"

namespace zephyr {
namespace {

constexpr std::string_view kHeader = "Zephyrnet earlier values 1";
constexpr char kHex[] = "0123456789abcdef";

std::uint64_t Fingerprint(std::string_view bytes) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  return hash;
}

std::string FingerprintLine(std::string_view backupText) {
  char hash[17];
  const std::uint64_t value = Fingerprint(backupText);
  for (int i = 0; i < 16; ++i) hash[i] = kHex[(value >> (60 - 4 * i)) & 15];
  hash[16] = '\0';
  return std::to_string(backupText.size()) + " " + hash;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::optional<EarlierValue> ParseLine(std::string_view line) {
  if (line == "?") return EarlierValue{};
  if (line == "-") return EarlierValue{EarlierValue::State::kAbsent, 0, {}};
  const std::size_t space = line.find(' ');
  if (space == std::string_view::npos || space == 0) return std::nullopt;
  EarlierValue value{EarlierValue::State::kPresent, 0, {}};
  const std::string_view type = line.substr(0, space);
  if (type.size() > 1 && type[0] == '0') return std::nullopt;  // one spelling for each type
  const auto [end, error] = std::from_chars(type.data(), type.data() + type.size(), value.type);
  if (error != std::errc() || end != type.data() + type.size()) return std::nullopt;
  const std::string_view hex = line.substr(space + 1);
  if (hex.size() % 2 != 0 || hex.size() / 2 > kLargestEarlierValue) return std::nullopt;
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int high = HexDigit(hex[i]);
    const int low = HexDigit(hex[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    value.data += static_cast<char>(high * 16 + low);
  }
  return value;
}

}  // namespace

EarlierValue ReadRegistryValue(RegistryPort& registry, RegKey hive, std::string_view path,
                               std::string_view name) {
  ScopedRegKey key(registry);
  const RegStatus opened = registry.OpenKeyEx(hive, std::string(path), kKeyRead, key.Receive());
  if (opened == kErrorFileNotFound) return {EarlierValue::State::kAbsent, 0, {}};
  if (opened != kErrorSuccess) return {};
  EarlierValue value{EarlierValue::State::kPresent, 0, {}};
  std::uint32_t size = 0;
  const RegStatus sized = registry.QueryValueEx(key.get(), std::string(name), &value.type, nullptr, &size);
  if (sized == kErrorFileNotFound) return {EarlierValue::State::kAbsent, 0, {}};
  if (sized != kErrorSuccess || size > kLargestEarlierValue) return {};
  value.data.resize(size);
  if (registry.QueryValueEx(key.get(), std::string(name), &value.type,
                            reinterpret_cast<std::uint8_t*>(value.data.data()),
                            &size) != kErrorSuccess ||
      size > value.data.size()) {
    return {};
  }
  value.data.resize(size);
  return value;
}

std::string EarlierValuesPath(std::string_view backupPath) {
  const std::size_t dot = backupPath.find_last_of('.');
  const std::size_t separator = backupPath.find_last_of("\\/");
  const bool hasExtension =
      dot != std::string_view::npos && (separator == std::string_view::npos || dot > separator + 1);
  return std::string(hasExtension ? backupPath.substr(0, dot) : backupPath) +
         std::string(kEarlierValuesExtension);
}

std::vector<EarlierValue> ReadEarlierValues(RegistryPort& registry, const BackupFile& backup) {
  std::vector<EarlierValue> values;
  const auto fixed = backup_layout::FixedGroups(backup.osCode);
  for (std::size_t g = 0; g < backup.groups.size(); ++g) {
    const bool isFixed = g < fixed.size();
    const RegKey hive = isFixed ? fixed[g].hive : kHKeyLocalMachine;
    const std::string_view path =
        isFixed ? fixed[g].readPath : std::string_view(backup.groups[g].keyPath);
    for (const BackupEntry& entry : backup.groups[g].entries) {
      values.push_back(ReadRegistryValue(registry, hive, path, entry.valueName));
    }
  }
  for (const backup_layout::CompanionSpec& companion : backup_layout::Companions(backup.osCode)) {
    values.push_back(ReadRegistryValue(registry, companion.hive, companion.keyPath, companion.valueName));
  }
  return values;
}

std::string SerializeEarlierValues(const std::vector<EarlierValue>& values,
                                   std::string_view backupText) {
  std::string out = std::string(kHeader) + "\r\n" + FingerprintLine(backupText) + "\r\n";
  for (const EarlierValue& value : values) {
    switch (value.state) {
      case EarlierValue::State::kUnknown:
        out += "?";
        break;
      case EarlierValue::State::kAbsent:
        out += "-";
        break;
      case EarlierValue::State::kPresent:
        out += std::to_string(value.type) + " ";
        for (const char c : value.data) {
          out += kHex[static_cast<unsigned char>(c) >> 4];
          out += kHex[static_cast<unsigned char>(c) & 15];
        }
        break;
    }
    out += "\r\n";
  }
  return out;
}

std::optional<std::vector<EarlierValue>> ParseEarlierValues(std::string_view text,
                                                            std::string_view backupText) {
  std::vector<EarlierValue> values;
  int line = 0;
  while (!text.empty()) {
    const std::size_t end = text.find("\r\n");
    if (end == std::string_view::npos) return std::nullopt;  // cut off in the middle of a line
    const std::string_view current = text.substr(0, end);
    text.remove_prefix(end + 2);
    ++line;
    if (line == 1) {
      if (current != kHeader) return std::nullopt;
    } else if (line == 2) {
      if (current != FingerprintLine(backupText)) return std::nullopt;
    } else {
      std::optional<EarlierValue> value = ParseLine(current);
      if (!value) return std::nullopt;
      values.push_back(std::move(*value));
    }
  }
  if (line < 2) return std::nullopt;
  return values;
}

}  // namespace zephyr
