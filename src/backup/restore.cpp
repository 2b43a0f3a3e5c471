#include "backup/restore.h"

#include <optional>
#include <vector>

#include "backup/backup_layout.h"
#include "platform/registry.h"
#include "tuning/registry_layout.h"

namespace zephyr {
namespace {

// The longest key name the registry allows, and the buffer the writer lists adapters with.
constexpr std::size_t kLongestKeyName = 255;

char FoldCase(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Registry names compare without regard to case.
bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

bool StartsWithName(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && SameName(text.substr(0, prefix.size()), prefix);
}

// An adapter's name must stay one key below the list it came from: a separator, a relative
// step or a control character (the platform ends a name at NUL) would reach another key.
bool IsSingleKeyName(std::string_view name) {
  if (name.empty() || name.size() > kLongestKeyName || name == "." || name == "..") return false;
  for (const char c : name) {
    if (c == '\\' || static_cast<unsigned char>(c) < 0x20) return false;
  }
  return true;
}

std::string Shown(std::string_view text) {
  constexpr std::size_t kLongest = 80;
  return "\"" + std::string(text.substr(0, kLongest)) + (text.size() > kLongest ? "...\"" : "\"");
}

struct PlannedWrite {
  RegKey hive = 0;
  std::string keyPath;
  std::string valueName;
  std::uint32_t value = 0;
};

class RestorePlan {
 public:
  RestorePlan(const BackupFile& backup, OsCode osCode) : backup_(backup), osCode_(osCode) {}

  // The writes the file calls for, in file order, or nothing with the reason set.
  std::optional<std::vector<PlannedWrite>> Make() {
    const auto fixed = backup_layout::FixedGroups(osCode_);
    if (fixed.empty()) return Refuse("this system's Windows version has no backup layout");
    const auto& groups = backup_.groups;
    if (groups.size() < fixed.size()) return Refuse("the file ends before its fixed groups do");
    for (std::size_t i = 0; i < fixed.size(); ++i) {
      const backup_layout::GroupSpec& spec = fixed[i];
      if (!SameName(groups[i].keyPath, spec.keyPath)) {
        return Refuse("group " + std::to_string(i + 1) + " names the key " +
                      Shown(groups[i].keyPath) + " where " + Shown(spec.keyPath) + " belongs");
      }
      if (!Entries(groups[i], spec.entries, spec.hive, std::string(spec.keyPath))) {
        return std::nullopt;
      }
    }
    const bool nt = IsNtFamily(osCode_);
    for (std::size_t i = fixed.size(); i < groups.size(); i += nt ? 2 : 1) {
      const bool planned = nt ? Interface(i) : Transport(groups[i]);
      if (!planned) return std::nullopt;
    }
    return std::move(writes_);
  }

  const std::string& reason() const { return reason_; }

 private:
  std::nullopt_t Refuse(std::string reason) {
    reason_ = std::move(reason);
    return std::nullopt;
  }

  bool Foreign(const BackupGroup& group) {
    Refuse("the key " + Shown(group.keyPath) + " is not one that a backup of this system holds");
    return false;
  }

  // The entries of a group must be the layout's, in its order; they are written under the
  // program's own spelling of the key.
  bool Entries(const BackupGroup& group, std::span<const backup_layout::EntrySpec> specs,
               RegKey hive, const std::string& keyPath) {
    if (group.entries.size() != specs.size()) {
      Refuse("the key " + Shown(group.keyPath) + " holds " + std::to_string(group.entries.size()) +
             " values instead of " + std::to_string(specs.size()));
      return false;
    }
    for (std::size_t i = 0; i < specs.size(); ++i) {
      if (!SameName(group.entries[i].valueName, specs[i].valueName)) {
        Refuse("the key " + Shown(group.keyPath) + " holds the value " +
               Shown(group.entries[i].valueName) + " where " + Shown(specs[i].valueName) +
               " belongs");
        return false;
      }
      writes_.push_back({hive, keyPath, std::string(specs[i].valueName), group.entries[i].value});
    }
    return true;
  }

  // 9x family: one group per transport under the network class.
  bool Transport(const BackupGroup& group) {
    const std::string prefix = std::string(layout::kNetTransKey) + "\\";
    if (!StartsWithName(group.keyPath, prefix)) return Foreign(group);
    const std::string_view name = std::string_view(group.keyPath).substr(prefix.size());
    if (!IsSingleKeyName(name)) return Foreign(group);
    return Entries(group, backup_layout::PerAdapterEntries(osCode_), kHKeyLocalMachine,
                   layout::TransportKey(name));
  }

  // NT family: each interface as two groups, its key under Interfaces and then the adapter's own
  // TCP/IP parameters, both for the same adapter.
  bool Interface(std::size_t index) {
    const BackupGroup& listed = backup_.groups[index];
    const std::string prefix = std::string(layout::kInterfacesKey) + "\\";
    if (!StartsWithName(listed.keyPath, prefix)) return Foreign(listed);
    const std::string_view name = std::string_view(listed.keyPath).substr(prefix.size());
    if (!IsSingleKeyName(name)) return Foreign(listed);
    if (index + 1 >= backup_.groups.size()) {
      Refuse("the interface " + Shown(name) + " lacks its group under " +
             Shown(layout::AdapterTcpipKey(name)));
      return false;
    }
    const BackupGroup& own = backup_.groups[index + 1];
    if (!SameName(own.keyPath, layout::AdapterTcpipKey(name))) return Foreign(own);
    const auto entries = backup_layout::PerAdapterEntries(osCode_);
    return Entries(listed, entries, kHKeyLocalMachine, layout::InterfaceKey(name)) &&
           Entries(own, entries, kHKeyLocalMachine, layout::AdapterTcpipKey(name));
  }

  const BackupFile& backup_;
  OsCode osCode_;
  std::vector<PlannedWrite> writes_;
  std::string reason_;
};

}  // namespace

std::string CheckBackupLayout(const BackupFile& backup, OsCode osCode) {
  if (backup.osCode != osCode) return kOtherOperatingSystemMessage;
  RestorePlan plan(backup, osCode);
  return plan.Make() ? std::string() : plan.reason();
}

RestoreResult RestoreBackup(RegistryPort& registry, OsCode osCode, const BackupFile& backup) {
  RestoreResult result;
  // The same family is not enough: the file's version code must be this system's.
  if (backup.osCode != osCode) {
    result.outcome = RestoreResult::Outcome::kOtherSystem;
    result.reason = kOtherOperatingSystemMessage;
    return result;
  }
  RestorePlan plan(backup, osCode);
  const auto writes = plan.Make();
  if (!writes) {
    result.reason = plan.reason();
    return result;
  }
  const bool nt = IsNtFamily(osCode);
  for (const PlannedWrite& write : *writes) {
    const RegStatus status =
        nt ? SetRegistryValue(registry, write.hive, write.keyPath, write.valueName, kRegDword,
                              RegistryValue(write.value), false)
           : SetRegistryValue(registry, write.hive, write.keyPath, write.valueName, kRegSz,
                              RegistryValue(std::to_string(write.value)), false);
    if (status == kErrorSuccess) {
      ++result.valuesWritten;
    } else {
      ++result.failedWrites;
    }
  }
  result.outcome = RestoreResult::Outcome::kRestored;
  return result;
}

RestoreResult RestoreBackup(RegistryPort& registry, FileSystemPort& files, OsCode osCode,
                            const std::string& file) {
  const BackupReadResult read = ReadBackupFile(files, file);
  if (!read.ok()) {
    RestoreResult result;
    result.reason = read.error;
    return result;
  }
  return RestoreBackup(registry, osCode, *read.backup);
}

}  // namespace zephyr
