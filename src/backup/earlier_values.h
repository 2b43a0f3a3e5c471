// The earlier-values record kept beside each backup file.
//
// A backup file records every value as a number from 0 to 4294967295, so it cannot tell a value
// that did not exist from one that was 0, and its fixed entries hold the constants the apply sets,
// not what the registry held. The record keeps, for every entry of its backup file in file order,
// what the registry really held before the apply: the value's type and bytes, or that it was
// absent. It lives beside the backup under the same number ("007.PRE" for "007.BCK"), is written
// before the backup is published, and is deleted with it. It is neither counted by the numbering
// nor listed. After the entries come the companion values of the family (the names Windows reads
// beside those the file keeps), which the file itself cannot carry. Its second line fingerprints the backup file, so a record that does not belong to
// the file beside it (the file was edited or replaced) is not used:
//   Zephyrnet earlier values 1
//   2583 9f1e2d3c4b5a6978       size and FNV-1a hash of the backup file's bytes
//   -                           an entry whose value was absent
//   4 40000000                  type 4 (REG_DWORD) and the bytes in hexadecimal
//   1 3134363000                type 1 (REG_SZ) "1460" and its NUL
//   ?                           not recorded (could not be read): the backup's number stands
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "backup/backup_file.h"
#include "platform/registry_port.h"

namespace zephyr {

inline constexpr std::string_view kEarlierValuesExtension = ".PRE";
// A value larger than this is not recorded ("?"): no value of the layout comes near it.
inline constexpr std::size_t kLargestEarlierValue = 4096;

struct EarlierValue {
  enum class State { kUnknown, kAbsent, kPresent };
  State state = State::kUnknown;
  std::uint32_t type = 0;
  std::string data;  // the value's bytes as the registry holds them

  friend bool operator==(const EarlierValue&, const EarlierValue&) = default;
};

// The record's path for the backup file at `backupPath`: the same name with ".PRE".
std::string EarlierValuesPath(std::string_view backupPath);

// What the registry holds now for one value: absent (its key or the value missing), its type and
// bytes, or unknown when it cannot be read or is larger than kLargestEarlierValue.
EarlierValue ReadRegistryValue(RegistryPort& registry, RegKey hive, std::string_view path,
                               std::string_view name);

// What the registry holds now for every entry of `backup`, in file order, then for each companion
// value of its family (backup_layout.h). A record of an older program has no companions.
std::vector<EarlierValue> ReadEarlierValues(RegistryPort& registry, const BackupFile& backup);

std::string SerializeEarlierValues(const std::vector<EarlierValue>& values,
                                   std::string_view backupText);
// The record in `text` when every line is as Serialize writes it and it fingerprints exactly
// `backupText`; nothing otherwise. Nothing is taken from a record that fails anywhere.
std::optional<std::vector<EarlierValue>> ParseEarlierValues(std::string_view text,
                                                            std::string_view backupText);

}  // namespace zephyr
