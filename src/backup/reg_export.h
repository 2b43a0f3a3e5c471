// A backup as a registry file: the REGEDIT4 text that regedit imports on every Windows from 95
// on, putting back what a restore of the backup puts back. Values the backup records as absent
// are written as deletions ("Name"=-).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "backup/backup_file.h"
#include "backup/earlier_values.h"
#include "backup/restore.h"

namespace zephyr {

inline constexpr std::string_view kRegFileExtension = ".REG";

// The registry file beside the backup at `backupPath`: the same name with ".REG".
std::string RegFilePath(std::string_view backupPath);

// The text of the values in the order given, one section per run of values in the same key,
// CR LF line ends.
std::string FormatRegFile(const std::vector<RestoredValue>& values);

// The registry file of a backup, checked as the restore checks it (the file's own OS code and
// layout), so a crafted file cannot name a key outside the backup layout; or why it is refused.
struct RegExport {
  std::string text;
  std::string reason;
  bool ok() const { return reason.empty(); }
};
RegExport ExportBackupAsRegFile(const BackupFile& backup,
                                const std::vector<EarlierValue>* earlier = nullptr);

}  // namespace zephyr
