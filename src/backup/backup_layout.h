// The groups a backup file holds for each Windows family: their hives, key paths and entries in
// file order. The writer takes its snapshot from these tables, the reader counts entries by them,
// and the restore checks a file against them.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "platform/os_version.h"
#include "platform/registry_port.h"

namespace zephyr::backup_layout {

enum class EntryKind {
  kFixed,  // written as the constant the apply sets, whatever the registry holds
  kFlag,   // 1 when the registry value is non-zero, else 0
  kValue,  // the registry value as a number (0 when missing)
};

struct EntrySpec {
  std::string_view valueName;
  EntryKind kind = EntryKind::kValue;
  std::uint32_t fixed = 0;
};

struct GroupSpec {
  RegKey hive = 0;
  std::string_view keyPath;   // as written in the file
  std::string_view readPath;  // where the values are read from (the same key)
  std::span<const EntrySpec> entries;
};

// Groups A, B and C of a family, in file order.
std::span<const GroupSpec> FixedGroups(OsCode osCode);
// The entry names of every per-adapter group (two each).
std::span<const EntrySpec> PerAdapterEntries(OsCode osCode);

}  // namespace zephyr::backup_layout
