// Backup files: the values an apply is about to overwrite, saved as numbered text files
// (001.BCK to 999.BCK) in the backup folder, and read back for the restore.
//
// A file is a sequence of items, one per line, each line ended by CR LF:
//   #2026-12-07#            date the backup was taken
//   #14:05:09#              time it was taken
//   7                       OS code of the system it was taken on
//   "key path"              then groups: a key path and its entries,
//   "value name"            each entry a value name ("" is the key's default value)
//   1460                    and its value, 0 to 4294967295
// The groups follow the layout of the file's Windows family (backup_layout.h). There is no end
// marker: a file ends after the last entry of its last group.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock_port.h"
#include "platform/file_system_port.h"
#include "platform/os_version.h"
#include "platform/registry_port.h"

namespace zephyr {

inline constexpr int kMaxBackupNumber = 999;
// The largest file read as a backup; a real one is a few kilobytes.
inline constexpr std::size_t kLargestBackupFile = 1 << 20;
inline constexpr std::string_view kBackupExtension = ".BCK";
inline constexpr std::string_view kBackupFolderName = "Backups";

struct BackupEntry {
  std::string valueName;
  std::uint32_t value = 0;

  friend bool operator==(const BackupEntry&, const BackupEntry&) = default;
};

struct BackupGroup {
  std::string keyPath;
  std::vector<BackupEntry> entries;

  friend bool operator==(const BackupGroup&, const BackupGroup&) = default;
};

struct BackupFile {
  LocalDateTime taken;  // local date and time of the backup
  OsCode osCode = 0;
  // Groups A, B and C of the family's layout, then the per-adapter groups of two entries each.
  std::vector<BackupGroup> groups;

  friend bool operator==(const BackupFile&, const BackupFile&) = default;
};

// The number a file name counts as: the leading decimal digits of the last three characters of
// its base name (0 when they begin with no digit). "007.BCK" is 7, "abc012.BCK" 12, "notes.BCK" 0.
int BackupNumberOf(std::string_view fileName);
// "001.BCK" to "999.BCK".
std::string BackupFileName(int number);
// Whether a directory entry is a backup file by its name: the extension .BCK in any case.
bool IsBackupFileName(std::string_view fileName);

// The number SaveBackup is to write next, one above the highest number any entry of the folder is
// named with (a folder or any other entry named like a backup counts too); gaps are not filled.
// Creates the backup folder (one level) when it is missing. Fails when 999 is taken or the folder
// cannot be created or listed.
struct NextBackupName {
  int number = 0;
  std::string path;
  std::string error;
  bool ok() const { return error.empty(); }
};
// The backups of `numberedWith` (other backup folders) count too, so numbers stay unique across them.
NextBackupName NextBackupFileName(FileSystemPort& files, const std::string& backupFolder,
                                  const std::vector<std::string>& numberedWith = {});

// Whether a file can be made in `folder` (created when missing): a file is written and removed.
bool FolderWritable(FileSystemPort& files, const std::string& folder);

// A registry value as a backup records it: plain digits below 10^15, beyond that exponent
// notation with up to 15 significant digits ("1E+15").
std::string FormatBackupNumber(double value);

// The date and the time as a file holds them between '#': "2026-12-07" and "14:05:09".
std::string FormatBackupDate(const LocalDateTime& taken);
std::string FormatBackupTime(const LocalDateTime& taken);
// Reads them back into `taken`; false for anything that is not a real date or time of that form.
bool ParseBackupDate(std::string_view text, LocalDateTime& taken);
bool ParseBackupTime(std::string_view text, LocalDateTime& taken);

// The file's text, CR LF after every item.
std::string SerializeBackup(const BackupFile& backup);

// Reads the values a backup of `osCode`'s family records from the registry now. Values the
// registry does not hold are 0. Adapters whose names a backup cannot carry are left out (the apply
// leaves them alone and tells), so a snapshot is always whole.
struct Snapshot {
  BackupFile backup;
  std::string error;
  bool ok() const { return error.empty(); }
};
Snapshot TakeSnapshot(RegistryPort& registry, OsCode osCode, const LocalDateTime& now);

// Takes the snapshot and writes it to the next numbered file. The file appears complete or not at
// all: it is written to a temporary file in the folder, flushed to the disk, closed and then
// renamed. It never replaces an entry: when the number was taken after the folder was listed, the
// next free number is used.
struct SaveBackupResult {
  std::string file;
  std::string error;  // a sentence for the user: why no backup could be written
  bool ok() const { return error.empty(); }
};
SaveBackupResult SaveBackup(RegistryPort& registry, ClockPort& clock, FileSystemPort& files,
                            OsCode osCode, const std::string& backupFolder,
                            const std::vector<std::string>& numberedWith = {});

// A parsed backup, or why the text is not one. Items may also be separated by commas outside
// quotation marks. The reader checks the structure of the family's layout (counts of entries per
// group, complete groups, values from 0 to 4294967295, a known OS code); it writes nothing.
struct BackupReadResult {
  std::optional<BackupFile> backup;
  std::string error;
  bool ok() const { return backup.has_value(); }
};
BackupReadResult ParseBackup(std::string_view text);
// The file's bytes, for a reader that needs them as they are; the reason it cannot be had, or empty.
std::string ReadBackupText(FileSystemPort& files, const std::string& file, std::string& text);
BackupReadResult ReadBackupFile(FileSystemPort& files, const std::string& file);

}  // namespace zephyr
