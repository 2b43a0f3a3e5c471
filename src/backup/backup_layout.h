// The groups a backup file holds for each Windows family: their hives, key paths and entries in
// file order. The writer takes its snapshot from these tables, the reader counts entries by them,
// and the restore checks a file against them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

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
  // 0 is outside the value's valid range (a time to live, a window size, an MTU or MSS, a
  // keep-alive time, a connection limit): in a backup without its record of earlier values, a 0
  // means the value did not exist.
  bool zeroMeansAbsent = false;
};

struct GroupSpec {
  RegKey hive = 0;
  std::string_view keyPath;   // as written in the file
  std::string_view readPath;  // where the values are read from (the same key)
  std::span<const EntrySpec> entries;
};

// A value the apply writes beside an entry of group A, under the name or in the key where
// Windows reads it (the entry keeps the name the backup files have always used). A backup file
// cannot carry it, as its layout is fixed; its record of earlier values keeps it after the
// entries, and a restore without a record puts it back the way it puts back its twin.
struct CompanionSpec {
  RegKey hive = 0;
  std::string_view keyPath;
  std::string_view valueName;
  std::uint32_t type = 0;  // the type Windows reads it as
  std::size_t twin = 0;    // the entry of group A it goes with
};

// Groups A, B and C of a family, in file order.
std::span<const GroupSpec> FixedGroups(OsCode osCode);
// The companions of a family, in the order the record keeps them.
std::span<const CompanionSpec> Companions(OsCode osCode);
// The entry names of every per-adapter group (two each).
std::span<const EntrySpec> PerAdapterEntries(OsCode osCode);

// The one rule for an adapter's name (a transport of the 9x network class, an interface of the NT
// TCP/IP parameters), shared by the writer, the apply and the restore, so an apply never writes a
// backup that its own restore refuses: a single key name that stays one key below the list it
// came from (no separator, no relative step, no control character, at most 255 characters) and
// that a backup file can carry on one line between quotation marks.
bool IsAdapterName(std::string_view name);

// The adapters of the family's list key now. Those whose names cannot be read, or break the rule
// above, are skipped: neither backed up nor tuned.
struct AdapterList {
  std::vector<std::string> names;
  int skipped = 0;
};
AdapterList ListAdapters(RegistryPort& registry, OsCode osCode);

}  // namespace zephyr::backup_layout
