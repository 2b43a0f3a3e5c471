// Writing a backup file's values back into the registry.
//
// The restore reads and checks the whole file before it writes anything, so a damaged file, a
// file of another system or a file that names keys outside the backup layout changes nothing.
// A file is accepted only when its groups are exactly those its writer produces for this system:
// the fixed groups of the family (key paths without regard to case, value names in their order),
// then the per-adapter groups, whose adapter names follow the writer's rule.
//
// An accepted file still cannot make the registry grow: adapter groups are written only into the
// keys of adapters that exist now (opened, never created), at most kMostAdapterGroups of them; the
// others are skipped and counted.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "backup/backup_file.h"
#include "backup/earlier_values.h"
#include "platform/file_system_port.h"
#include "platform/os_version.h"
#include "platform/registry_port.h"

namespace zephyr {

// Far above the adapters of any real system: 256 NT interfaces or 512 9x transports.
inline constexpr std::size_t kMostAdapterGroups = 512;

inline constexpr char kOtherOperatingSystemMessage[] =
    "This backup file was taken from another operating system!!";

struct RestoreResult {
  enum class Outcome {
    kRestored,     // written; some writes may have failed and some adapter groups been skipped
    kOtherSystem,  // the file was taken on another operating system; nothing was written
    kRefused,      // the file could not be read or is not a backup of this layout; nothing written
  };
  Outcome outcome = Outcome::kRefused;
  std::string reason;  // why the file was refused
  std::size_t valuesWritten = 0;
  std::size_t failedWrites = 0;
  // Adapter groups not written: their adapter is not on this system now, their key is missing, or
  // they come after the first kMostAdapterGroups.
  std::size_t skippedGroups = 0;
  bool usedEarlierValues = false;  // the record beside the file was used

  bool ok() const { return outcome == Outcome::kRestored; }
};

// Why `backup` is not a backup of `osCode`'s layout, or empty when it is. The file must have
// been taken on exactly this OS code.
std::string CheckBackupLayout(const BackupFile& backup, OsCode osCode);

// One value as a restore puts it back: removed, or set to its type and bytes.
struct RestoredValue {
  RegKey hive = 0;
  std::string keyPath;
  std::string valueName;
  bool remove = false;
  std::uint32_t type = 0;
  std::string data;
  // In a per-adapter group: the restore writes it only where the adapter's key exists now.
  bool adapter = false;

  friend bool operator==(const RestoredValue&, const RestoredValue&) = default;
};

// Every value a restore of `backup` puts back, in the restore's order (the fixed groups, the
// family's companion values, then the adapter groups up to kMostAdapterGroups), after the same
// checks as the restore; nothing, with the reason, for a file the restore refuses.
struct RestoredValues {
  std::vector<RestoredValue> values;
  std::string reason;
  bool ok() const { return reason.empty(); }
};
RestoredValues PlanRestoredValues(const BackupFile& backup, OsCode osCode,
                                  const std::vector<EarlierValue>* earlier = nullptr);

// Restores a parsed backup: with `earlier` (its record of earlier values, one per entry), every
// value as it was, absent ones removed; without, the NT family's numbers as REG_DWORD and the 9x
// family's as REG_SZ decimal text, a 0 that a value cannot hold removing it. Each under the hive
// of its group. The family's companion values go back too: as the record has them, or, without
// one, the way their twin entry goes back.
RestoreResult RestoreBackup(RegistryPort& registry, OsCode osCode, const BackupFile& backup,
                            const std::vector<EarlierValue>* earlier = nullptr);
// A backup file read whole and parsed, with its record of earlier values when that is beside it
// and belongs to it; or why it cannot be read.
struct LoadedBackup {
  std::optional<BackupFile> backup;
  std::optional<std::vector<EarlierValue>> earlier;
  std::string reason;
  bool ok() const { return backup.has_value(); }
  const std::vector<EarlierValue>* record() const { return earlier ? &*earlier : nullptr; }
};
LoadedBackup LoadBackup(FileSystemPort& files, const std::string& file);

// Reads the file whole, checks it, and only then restores it, with its record of earlier values
// when that is beside it and belongs to it.
RestoreResult RestoreBackup(RegistryPort& registry, FileSystemPort& files, OsCode osCode,
                            const std::string& file);

}  // namespace zephyr
