// Naming, taking and writing backups.
#include <algorithm>
#include <cstdio>
#include <limits>

#include "backup/backup_file.h"
#include "backup/backup_layout.h"
#include "backup/earlier_values.h"
#include "platform/registry.h"
#include "tuning/registry_layout.h"

namespace zephyr {
namespace {

constexpr double kLargestValue = std::numeric_limits<std::uint32_t>::max();

template <typename Char>
Char AsciiUpper(Char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<Char>(c - 'a' + 'A') : c;
}

// Whether any entry (file or folder) has the name `path`.
bool EntryExists(FileSystemPort& files, const std::string& path) {
  std::string ignored;
  const FileStatus status = files.ReadWholeFile(path, 0, ignored);
  return status != kFileNotFound && status != kFilePathNotFound;
}

std::string FolderFullMessage(const std::string& folder) {
  return "The backup folder \"" + folder +
         "\" already holds backup number 999, the last there can be. Delete old backups in the "
         "backup manager, then try again.";
}

// The number a REG_SZ value's leading decimal digits denote; 0 when it begins with no digit.
// Larger numbers than a backup can hold are taken as the largest it can.
std::uint32_t LeadingNumber(std::string_view text) {
  std::uint64_t number = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') break;
    number = std::min<std::uint64_t>(number * 10 + static_cast<std::uint64_t>(c - '0'),
                                     static_cast<std::uint64_t>(kLargestValue));
  }
  return static_cast<std::uint32_t>(number);
}

// A registry value as the backup records it, by its type: a REG_DWORD as its number, a REG_SZ
// by its leading digits, anything else as its bytes read as a number. Missing values are 0.
std::uint32_t RegistryNumber(RegistryPort& registry, CRegister& reg, RegKey hive,
                             std::string_view path, std::string_view name) {
  std::uint32_t type = kRegNone;
  {
    ScopedRegKey key(registry);
    if (registry.OpenKeyEx(hive, std::string(path), kKeyRead, key.Receive()) != kErrorSuccess) {
      return 0;
    }
    std::uint32_t size = 0;
    if (registry.QueryValueEx(key.get(), std::string(name), &type, nullptr, &size) !=
        kErrorSuccess) {
      return 0;
    }
  }
  constexpr std::uint32_t kRegExpandSz = 2;
  if (type == kRegSz || type == kRegExpandSz) {
    return LeadingNumber(GetSettingString(registry, hive, path, name, ""));
  }
  // CRegister addresses the default value as "*".
  const double number = reg.myREGGetSetting(hive, path, name.empty() ? "*" : name);
  return static_cast<std::uint32_t>(std::min(number, kLargestValue));
}

std::uint32_t EntryValue(RegistryPort& registry, CRegister& reg,
                         const backup_layout::GroupSpec& group,
                         const backup_layout::EntrySpec& entry) {
  switch (entry.kind) {
    case backup_layout::EntryKind::kFixed:
      return entry.fixed;
    case backup_layout::EntryKind::kFlag:
      return RegistryNumber(registry, reg, group.hive, group.readPath, entry.valueName) != 0;
    case backup_layout::EntryKind::kValue:
      break;
  }
  return RegistryNumber(registry, reg, group.hive, group.readPath, entry.valueName);
}

BackupGroup AdapterGroup(RegistryPort& registry, CRegister& reg, OsCode osCode,
                         const std::string& keyPath) {
  BackupGroup group{keyPath, {}};
  for (const auto& entry : backup_layout::PerAdapterEntries(osCode)) {
    group.entries.push_back({std::string(entry.valueName),
                             RegistryNumber(registry, reg, kHKeyLocalMachine, keyPath,
                                            entry.valueName)});
  }
  return group;
}

}  // namespace

bool IsBackupFileName(std::string_view fileName) {
  const std::size_t dot = fileName.find_last_of('.');
  if (dot == std::string_view::npos || dot == 0) return false;
  const std::string_view extension = fileName.substr(dot);
  if (extension.size() != kBackupExtension.size()) return false;
  for (std::size_t i = 0; i < extension.size(); ++i) {
    if (AsciiUpper(extension[i]) != kBackupExtension[i]) return false;
  }
  return true;
}

int BackupNumberOf(std::string_view fileName) {
  const std::size_t dot = fileName.find_last_of('.');
  const std::string_view stem =
      dot == std::string_view::npos || dot == 0 ? fileName : fileName.substr(0, dot);
  const std::string_view last = stem.substr(stem.size() > 3 ? stem.size() - 3 : 0);
  int number = 0;
  for (const char c : last) {
    if (c < '0' || c > '9') break;
    number = number * 10 + (c - '0');
  }
  return number;
}

std::string BackupFileName(int number) {
  char name[16];
  std::snprintf(name, sizeof name, "%03d", number);
  return std::string(name) + std::string(kBackupExtension);
}

bool FolderWritable(FileSystemPort& files, const std::string& folder) {
  if (!files.IsFolder(folder) && files.CreateFolder(folder) != kFileOk && !files.IsFolder(folder)) {
    return false;
  }
  const std::string probe = JoinPath(folder, "~zephyrnet.tmp");
  if (files.WriteWholeFile(probe, "", Publish::kReplace) != kFileOk) return false;
  files.RemoveFile(probe);
  return true;
}

NextBackupName NextBackupFileName(FileSystemPort& files, const std::string& backupFolder,
                                  const std::vector<std::string>& numberedWith) {
  if (!files.IsFolder(backupFolder)) {
    if (const FileStatus status = files.CreateFolder(backupFolder);
        status != kFileOk && !files.IsFolder(backupFolder)) {
      return {0, {}, "The backup folder \"" + backupFolder + "\" could not be created (" +
                         DescribeFileStatus(status) + ")."};
    }
  }
  std::vector<FolderEntry> entries;
  if (const FileStatus status = files.ListFolder(backupFolder, entries); status != kFileOk) {
    return {0, {}, "The backup folder \"" + backupFolder + "\" could not be read (" +
                       DescribeFileStatus(status) + ")."};
  }
  // Every entry named like a backup counts, folders too: the next file must not collide with one.
  int highest = 0;
  for (const std::string& other : numberedWith) {
    std::vector<FolderEntry> more;
    // Another place that cannot be read holds no number to avoid.
    if (other != backupFolder && files.ListFolder(other, more) == kFileOk) {
      entries.insert(entries.end(), more.begin(), more.end());
    }
  }
  for (const FolderEntry& entry : entries) {
    if (IsBackupFileName(entry.name)) highest = std::max(highest, BackupNumberOf(entry.name));
  }
  if (highest >= kMaxBackupNumber) return {0, {}, FolderFullMessage(backupFolder)};
  return {highest + 1, JoinPath(backupFolder, BackupFileName(highest + 1)), {}};
}

Snapshot TakeSnapshot(RegistryPort& registry, OsCode osCode, const LocalDateTime& now) {
  Snapshot snapshot;
  snapshot.backup.taken = now;
  snapshot.backup.osCode = osCode;
  CRegister reg(registry);
  for (const auto& spec : backup_layout::FixedGroups(osCode)) {
    BackupGroup group{std::string(spec.keyPath), {}};
    for (const auto& entry : spec.entries) {
      group.entries.push_back(
          {std::string(entry.valueName), EntryValue(registry, reg, spec, entry)});
    }
    snapshot.backup.groups.push_back(std::move(group));
  }

  // Adapters whose names break the shared rule are left out here and left alone by the apply.
  const bool nt = IsNtFamily(osCode);
  for (const std::string& name : backup_layout::ListAdapters(registry, osCode).names) {
    if (nt) {
      snapshot.backup.groups.push_back(AdapterGroup(registry, reg, osCode, layout::InterfaceKey(name)));
      snapshot.backup.groups.push_back(
          AdapterGroup(registry, reg, osCode, layout::AdapterTcpipKey(name)));
    } else {
      snapshot.backup.groups.push_back(
          AdapterGroup(registry, reg, osCode, layout::TransportKey(name)));
    }
  }
  return snapshot;
}

SaveBackupResult SaveBackup(RegistryPort& registry, ClockPort& clock, FileSystemPort& files,
                            OsCode osCode, const std::string& backupFolder,
                            const std::vector<std::string>& numberedWith) {
  const NextBackupName next = NextBackupFileName(files, backupFolder, numberedWith);
  if (!next.ok()) return {{}, next.error};
  const Snapshot snapshot = TakeSnapshot(registry, osCode, clock.Now());
  if (!snapshot.ok()) return {{}, snapshot.error};
  const std::string text = SerializeBackup(snapshot.backup);
  const std::string record =
      SerializeEarlierValues(ReadEarlierValues(registry, snapshot.backup), text);
  const auto failed = [](const std::string& path, FileStatus status) {
    return SaveBackupResult{{}, "The backup file \"" + path + "\" could not be written (" +
                                    DescribeFileStatus(status) + ")."};
  };
  // An entry that appeared since the folder was listed keeps its name; the backup takes the next.
  for (int number = next.number; number <= kMaxBackupNumber; ++number) {
    const std::string path = JoinPath(backupFolder, BackupFileName(number));
    if (EntryExists(files, path)) continue;
    // The record goes first, so a published backup always has its record. One left without its
    // backup by an interrupted save is replaced.
    const std::string recordPath = EarlierValuesPath(path);
    if (const FileStatus status = files.WriteWholeFile(recordPath, record, Publish::kReplace);
        status != kFileOk) {
      return failed(recordPath, status);
    }
    const FileStatus status = files.WriteWholeFile(path, text, Publish::kCreateNew);
    if (status == kFileOk) return {path, {}};
    files.RemoveFile(recordPath);
    if (status != kFileExists && status != kFileAlreadyExists) return failed(path, status);
  }
  return {{}, FolderFullMessage(backupFolder)};
}

}  // namespace zephyr
