// Lists of registry values that differ between two states, shown the same way wherever the
// program shows them: the preview of an apply, and the comparison of backups.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "backup/earlier_values.h"
#include "backup/restore.h"
#include "platform/registry_port.h"

namespace zephyr {

inline constexpr std::string_view kNotSetText = "(not set)";
inline constexpr std::string_view kRemovedText = "(removed)";

struct ValueChange {
  RegKey hive = 0;
  std::string keyPath;
  std::string valueName;
  EarlierValue before;
  EarlierValue after;
};

// "HKEY_LOCAL_MACHINE\System\...".
std::string ShowKey(RegKey hive, std::string_view keyPath);
// The value's name, "(Default)" for the key's unnamed value.
std::string ShowValueName(std::string_view valueName);
// A number for REG_DWORD, the text in quotation marks for REG_SZ, the bytes in hexadecimal for
// any other type; `absentText` for a value that is not there, "(not recorded)" for one unknown.
std::string ShowValue(const EarlierValue& value, std::string_view absentText);
// Whether two states hold the same value: both absent, or the same type and data (a text with or
// without its terminating NUL being the same text).
bool SameValue(const EarlierValue& a, const EarlierValue& b);

// A value as a restore puts it back, as a state.
EarlierValue StateOf(const RestoredValue& value);

// The values of two restores that differ, in the order of `first` and then those only `second`
// names; a value one of them does not name (an adapter only one backup holds) is unknown there.
std::vector<ValueChange> CompareRestoredValues(const std::vector<RestoredValue>& first,
                                               const std::vector<RestoredValue>& second);
// What a restore would change in the registry now: its values that differ from what is there.
std::vector<ValueChange> CompareWithRegistry(const std::vector<RestoredValue>& restored,
                                             RegistryPort& registry);

}  // namespace zephyr
