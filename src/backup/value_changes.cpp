#include "backup/value_changes.h"

#include <map>
#include <tuple>

namespace zephyr {
namespace {

constexpr char kHex[] = "0123456789abcdef";

char FoldCase(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string Folded(std::string_view text) {
  std::string folded(text);
  for (char& c : folded) c = FoldCase(c);
  return folded;
}

// Registry keys and value names compare without regard to case.
using ValueKey = std::tuple<RegKey, std::string, std::string>;
ValueKey KeyOf(const RestoredValue& value) {
  return {value.hive, Folded(value.keyPath), Folded(value.valueName)};
}

constexpr std::uint32_t kRegExpandSz = 2;

bool IsText(std::uint32_t type) { return type == kRegSz || type == kRegExpandSz; }

std::string_view WithoutNul(std::string_view data) {
  if (!data.empty() && data.back() == '\0') data.remove_suffix(1);
  return data;
}

}  // namespace

std::string ShowKey(RegKey hive, std::string_view keyPath) {
  const std::string root = hive == kHKeyCurrentUser    ? "HKEY_CURRENT_USER"
                           : hive == kHKeyLocalMachine ? "HKEY_LOCAL_MACHINE"
                                                       : "HKEY_" + std::to_string(hive);
  return root + "\\" + std::string(keyPath);
}

std::string ShowValueName(std::string_view valueName) {
  return valueName.empty() ? "(Default)" : std::string(valueName);
}

std::string ShowValue(const EarlierValue& value, std::string_view absentText) {
  switch (value.state) {
    case EarlierValue::State::kAbsent:
      return std::string(absentText);
    case EarlierValue::State::kUnknown:
      return "(not recorded)";
    case EarlierValue::State::kPresent:
      break;
  }
  if (value.type == kRegDword && value.data.size() == 4) {
    std::uint32_t number = 0;
    for (int i = 3; i >= 0; --i) {
      number = (number << 8) | static_cast<unsigned char>(value.data[static_cast<std::size_t>(i)]);
    }
    return std::to_string(number);
  }
  if (IsText(value.type)) return "\"" + std::string(WithoutNul(value.data)) + "\"";
  std::string bytes = "hex(" + std::to_string(value.type) + "):";
  for (std::size_t i = 0; i < value.data.size(); ++i) {
    if (i > 0) bytes += ',';
    bytes += kHex[static_cast<unsigned char>(value.data[i]) >> 4];
    bytes += kHex[static_cast<unsigned char>(value.data[i]) & 15];
  }
  return bytes;
}

bool SameValue(const EarlierValue& a, const EarlierValue& b) {
  if (a.state != b.state) return false;
  if (a.state != EarlierValue::State::kPresent) return true;
  if (a.type != b.type) return false;
  if (IsText(a.type)) return WithoutNul(a.data) == WithoutNul(b.data);
  return a.data == b.data;
}

EarlierValue StateOf(const RestoredValue& value) {
  if (value.remove) return {EarlierValue::State::kAbsent, 0, {}};
  return {EarlierValue::State::kPresent, value.type, value.data};
}

std::vector<ValueChange> CompareRestoredValues(const std::vector<RestoredValue>& first,
                                               const std::vector<RestoredValue>& second) {
  std::map<ValueKey, const RestoredValue*> byKey;
  for (const RestoredValue& value : second) byKey.emplace(KeyOf(value), &value);
  std::vector<ValueChange> changes;
  std::map<ValueKey, bool> seen;
  for (const RestoredValue& value : first) {
    const ValueKey key = KeyOf(value);
    // The 9x layout names one value twice; it is one value all the same.
    if (!seen.emplace(key, true).second) continue;
    const auto other = byKey.find(key);
    const EarlierValue after = other != byKey.end() ? StateOf(*other->second) : EarlierValue{};
    const EarlierValue before = StateOf(value);
    if (!SameValue(before, after)) {
      changes.push_back({value.hive, value.keyPath, value.valueName, before, after});
    }
  }
  for (const RestoredValue& value : second) {
    if (seen.emplace(KeyOf(value), true).second) {
      changes.push_back({value.hive, value.keyPath, value.valueName, EarlierValue{},
                         StateOf(value)});
    }
  }
  return changes;
}

std::vector<ValueChange> CompareWithRegistry(const std::vector<RestoredValue>& restored,
                                             RegistryPort& registry) {
  std::vector<ValueChange> changes;
  std::map<ValueKey, bool> seen;
  for (const RestoredValue& value : restored) {
    if (!seen.emplace(KeyOf(value), true).second) continue;
    const EarlierValue now = ReadRegistryValue(registry, value.hive, value.keyPath,
                                               value.valueName);
    // An adapter group goes only into a key that exists now: where it is missing, nothing changes.
    if (value.adapter && now.state == EarlierValue::State::kAbsent) {
      ScopedRegKey key(registry);
      if (registry.OpenKeyEx(value.hive, value.keyPath, kKeyRead, key.Receive()) !=
          kErrorSuccess) {
        continue;
      }
    }
    const EarlierValue after = StateOf(value);
    if (!SameValue(now, after)) {
      changes.push_back({value.hive, value.keyPath, value.valueName, now, after});
    }
  }
  return changes;
}

}  // namespace zephyr
