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
#include <string>
#include <string_view>

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

// Restores a parsed backup: with `earlier` (its record of earlier values, one per entry), every
// value as it was, absent ones removed; without, the NT family's numbers as REG_DWORD and the 9x
// family's as REG_SZ decimal text, a 0 that a value cannot hold removing it. Each under the hive
// of its group.
RestoreResult RestoreBackup(RegistryPort& registry, OsCode osCode, const BackupFile& backup,
                            const std::vector<EarlierValue>* earlier = nullptr);
// Reads the file whole, checks it, and only then restores it, with its record of earlier values
// when that is beside it and belongs to it.
RestoreResult RestoreBackup(RegistryPort& registry, FileSystemPort& files, OsCode osCode,
                            const std::string& file);

}  // namespace zephyr
