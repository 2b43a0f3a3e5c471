// Naming, taking and writing backups.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <limits>
#include <system_error>

#include "backup/backup_file.h"
#include "backup/backup_layout.h"
#include "platform/registry.h"
#include "tuning/registry_layout.h"

namespace zephyr {
namespace {

constexpr double kLargestValue = std::numeric_limits<std::uint32_t>::max();

template <typename Char>
Char AsciiUpper(Char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<Char>(c - 'a' + 'A') : c;
}

// A path for a message; a name the ANSI code page cannot show must not stop the message.
std::string PathText(const std::filesystem::path& path) {
  try {
    return path.string();
  } catch (...) {
    return "(a folder whose name cannot be shown)";
  }
}

std::string SystemReason(int error) {
  return std::error_code(error, std::generic_category()).message();
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

// Writes the whole file under a temporary name and renames it into place, so a numbered file is
// either complete or absent. Returns the reason on failure.
std::string WriteWholeFile(const std::filesystem::path& path, const std::string& text) {
  std::filesystem::path temporary = path;
  temporary += ".tmp";
  std::error_code ignored;
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return SystemReason(errno);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
    if (!out) {
      const int error = errno;
      out.close();
      std::filesystem::remove(temporary, ignored);
      return SystemReason(error);
    }
    out.close();
    if (!out) {
      std::filesystem::remove(temporary, ignored);
      return SystemReason(errno);
    }
  }
  std::error_code renamed;
  std::filesystem::rename(temporary, path, renamed);
  if (renamed) {
    std::filesystem::remove(temporary, ignored);
    return renamed.message();
  }
  return {};
}

bool IsBackupFileName(const std::filesystem::path& fileName) {
  const auto extension = fileName.extension().native();
  if (extension.size() != kBackupExtension.size()) return false;
  for (std::size_t i = 0; i < extension.size(); ++i) {
    if (AsciiUpper(extension[i]) != kBackupExtension[i]) return false;
  }
  return true;
}

int BackupNumberOf(const std::filesystem::path& fileName) {
  const auto stem = fileName.stem().native();
  const auto last = stem.substr(stem.size() > 3 ? stem.size() - 3 : 0);
  int number = 0;
  for (const auto c : last) {
    if (c < '0' || c > '9') break;
    number = number * 10 + static_cast<int>(c - '0');
  }
  return number;
}

std::string BackupFileName(int number) {
  char name[16];
  std::snprintf(name, sizeof name, "%03d", number);
  return std::string(name) + std::string(kBackupExtension);
}

NextBackupName NextBackupFileName(const std::filesystem::path& backupFolder) {
  std::error_code error;
  if (!std::filesystem::is_directory(backupFolder, error)) {
    std::filesystem::create_directory(backupFolder, error);
    if (error) {
      return {{}, "The backup folder \"" + PathText(backupFolder) + "\" could not be created (" +
                      error.message() + ")."};
    }
  }
  int highest = 0;
  std::filesystem::directory_iterator entry(backupFolder, error);
  for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
    std::error_code kind;
    if (!entry->is_regular_file(kind)) continue;
    const auto name = entry->path().filename();
    if (IsBackupFileName(name)) highest = std::max(highest, BackupNumberOf(name));
  }
  if (error) {
    return {{}, "The backup folder \"" + PathText(backupFolder) + "\" could not be read (" +
                    error.message() + ")."};
  }
  if (highest >= kMaxBackupNumber) {
    return {{}, "The backup folder \"" + PathText(backupFolder) +
                    "\" already holds backup number 999, the last there can be. Delete old "
                    "backups in the backup manager, then try again."};
  }
  return {backupFolder / BackupFileName(highest + 1), {}};
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

SaveBackupResult SaveBackup(RegistryPort& registry, ClockPort& clock, OsCode osCode,
                            const std::filesystem::path& backupFolder) {
  const NextBackupName next = NextBackupFileName(backupFolder);
  if (!next.ok()) return {{}, next.error};
  const Snapshot snapshot = TakeSnapshot(registry, osCode, clock.Now());
  if (!snapshot.ok()) return {{}, snapshot.error};
  if (const std::string reason = WriteWholeFile(next.path, SerializeBackup(snapshot.backup));
      !reason.empty()) {
    return {{}, "The backup file \"" + PathText(next.path) + "\" could not be written (" +
                    reason + ")."};
  }
  return {next.path, {}};
}

}  // namespace zephyr
