#include "backup/restore.h"

#include <optional>
#include <vector>

#include "backup/backup_layout.h"
#include "platform/registry.h"
#include "tuning/registry_layout.h"

namespace zephyr {
namespace {

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

std::string Shown(std::string_view text) {
  constexpr std::size_t kLongest = 80;
  return "\"" + std::string(text.substr(0, kLongest)) + (text.size() > kLongest ? "...\"" : "\"");
}

struct PlannedWrite {
  RegKey hive = 0;
  std::string keyPath;
  std::string valueName;
  std::uint32_t value = 0;
  bool zeroMeansAbsent = false;
  std::size_t entry = 0;                  // its place among all entries of the file
  const EarlierValue* earlier = nullptr;  // what the record says it was, when there is a record
};

// One adapter's groups (one transport key on the 9x family; the interface key and the adapter's
// own TCP/IP key on the NT family), written only where the adapter exists now.
struct PlannedAdapter {
  std::vector<std::vector<PlannedWrite>> groups;
};

struct Plan {
  std::vector<PlannedWrite> fixed;
  std::vector<PlannedAdapter> adapters;
};

class RestorePlan {
 public:
  RestorePlan(const BackupFile& backup, OsCode osCode) : backup_(backup), osCode_(osCode) {}

  // The writes the file calls for, in file order, or nothing with the reason set.
  std::optional<Plan> Make() {
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
      if (!Entries(groups[i], spec.entries, spec.hive, std::string(spec.keyPath),
                   plan_.fixed)) {
        return std::nullopt;
      }
    }
    const bool nt = IsNtFamily(osCode_);
    for (std::size_t i = fixed.size(); i < groups.size(); i += nt ? 2 : 1) {
      const bool planned = nt ? Interface(i) : Transport(groups[i]);
      if (!planned) return std::nullopt;
    }
    return std::move(plan_);
  }

  const std::string& reason() const { return reason_; }
  std::size_t entries() const { return entries_; }

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
               RegKey hive, const std::string& keyPath, std::vector<PlannedWrite>& writes) {
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
      writes.push_back({hive, keyPath, std::string(specs[i].valueName), group.entries[i].value,
                        specs[i].zeroMeansAbsent, entries_++});
    }
    return true;
  }

  // 9x family: one group per transport under the network class.
  bool Transport(const BackupGroup& group) {
    const std::string prefix = std::string(layout::kNetTransKey) + "\\";
    if (!StartsWithName(group.keyPath, prefix)) return Foreign(group);
    const std::string_view name = std::string_view(group.keyPath).substr(prefix.size());
    if (!backup_layout::IsAdapterName(name)) return Foreign(group);
    PlannedAdapter& adapter = plan_.adapters.emplace_back();
    return Entries(group, backup_layout::PerAdapterEntries(osCode_), kHKeyLocalMachine,
                   layout::TransportKey(name), adapter.groups.emplace_back());
  }

  // NT family: each interface as two groups, its key under Interfaces and then the adapter's own
  // TCP/IP parameters, both for the same adapter.
  bool Interface(std::size_t index) {
    const BackupGroup& listed = backup_.groups[index];
    const std::string prefix = std::string(layout::kInterfacesKey) + "\\";
    if (!StartsWithName(listed.keyPath, prefix)) return Foreign(listed);
    const std::string_view name = std::string_view(listed.keyPath).substr(prefix.size());
    if (!backup_layout::IsAdapterName(name)) return Foreign(listed);
    if (index + 1 >= backup_.groups.size()) {
      Refuse("the interface " + Shown(name) + " lacks its group under " +
             Shown(layout::AdapterTcpipKey(name)));
      return false;
    }
    const BackupGroup& own = backup_.groups[index + 1];
    if (!SameName(own.keyPath, layout::AdapterTcpipKey(name))) return Foreign(own);
    const auto entries = backup_layout::PerAdapterEntries(osCode_);
    PlannedAdapter& adapter = plan_.adapters.emplace_back();
    adapter.groups.resize(2);
    return Entries(listed, entries, kHKeyLocalMachine, layout::InterfaceKey(name),
                   adapter.groups[0]) &&
           Entries(own, entries, kHKeyLocalMachine, layout::AdapterTcpipKey(name),
                   adapter.groups[1]);
  }

  const BackupFile& backup_;
  OsCode osCode_;
  Plan plan_;
  std::string reason_;
  std::size_t entries_ = 0;
};

enum class Action { kWriteNumber, kWriteRecorded, kRemove };

// What puts the value back as it was: the record's own type and bytes, or its absence; without a
// record, the file's number, where a 0 that the value cannot hold means it did not exist.
Action ActionOf(const PlannedWrite& write) {
  if (write.earlier != nullptr && write.earlier->state == EarlierValue::State::kPresent) {
    return Action::kWriteRecorded;
  }
  if (write.earlier != nullptr && write.earlier->state == EarlierValue::State::kAbsent) {
    return Action::kRemove;
  }
  return write.value == 0 && write.zeroMeansAbsent ? Action::kRemove : Action::kWriteNumber;
}

// Puts one value back into an opened key. The number is written as the family stores it:
// REG_DWORD on the NT family, decimal REG_SZ on 9x. Removing a value that is not there succeeds.
RegStatus RestoreValue(RegistryPort& registry, bool nt, RegKey key, const PlannedWrite& write) {
  switch (ActionOf(write)) {
    case Action::kRemove: {
      const RegStatus status = registry.DeleteValue(key, write.valueName);
      return status == kErrorFileNotFound ? kErrorSuccess : status;
    }
    case Action::kWriteRecorded:
      return registry.SetValueEx(
          key, write.valueName, write.earlier->type,
          reinterpret_cast<const std::uint8_t*>(write.earlier->data.data()),
          static_cast<std::uint32_t>(write.earlier->data.size()));
    case Action::kWriteNumber:
      break;
  }
  return nt ? SetValueInKey(registry, key, write.valueName, kRegDword, RegistryValue(write.value),
                            false)
            : SetValueInKey(registry, key, write.valueName, kRegSz,
                            RegistryValue(std::to_string(write.value)), false);
}

void Count(RegStatus status, std::size_t values, RestoreResult& result) {
  if (status == kErrorSuccess) {
    result.valuesWritten += values;
  } else {
    result.failedWrites += values;
  }
}

// The adapter groups go only into keys that exist now: a crafted file cannot make the restore
// create keys, and one that names another service finds no interface of that name. The first
// group's key is the adapter's own entry in the list it was taken from.
void WriteAdapter(RegistryPort& registry, bool nt, const PlannedAdapter& adapter,
                  RestoreResult& result) {
  for (std::size_t g = 0; g < adapter.groups.size(); ++g) {
    const std::vector<PlannedWrite>& group = adapter.groups[g];
    ScopedRegKey key(registry);
    const RegStatus opened = registry.OpenKeyEx(kHKeyLocalMachine, group.front().keyPath,
                                                kKeySetValue, key.Receive());
    if (opened == kErrorFileNotFound) {
      result.skippedGroups += g == 0 ? adapter.groups.size() : 1;
      if (g == 0) return;
      continue;
    }
    if (opened != kErrorSuccess) {
      Count(opened, group.size(), result);
      continue;
    }
    for (const PlannedWrite& write : group) {
      Count(RestoreValue(registry, nt, key.get(), write), 1, result);
    }
  }
}

}  // namespace

std::string CheckBackupLayout(const BackupFile& backup, OsCode osCode) {
  if (backup.osCode != osCode) return kOtherOperatingSystemMessage;
  RestorePlan plan(backup, osCode);
  return plan.Make() ? std::string() : plan.reason();
}

RestoreResult RestoreBackup(RegistryPort& registry, OsCode osCode, const BackupFile& backup,
                            const std::vector<EarlierValue>* earlier) {
  RestoreResult result;
  // The same family is not enough: the file's version code must be this system's.
  if (backup.osCode != osCode) {
    result.outcome = RestoreResult::Outcome::kOtherSystem;
    result.reason = kOtherOperatingSystemMessage;
    return result;
  }
  RestorePlan planner(backup, osCode);
  auto plan = planner.Make();
  if (!plan) {
    result.reason = planner.reason();
    return result;
  }
  // A record is used only whole: one entry for every entry of the file.
  if (earlier != nullptr && earlier->size() == planner.entries()) {
    result.usedEarlierValues = true;
    const auto attach = [earlier](std::vector<PlannedWrite>& writes) {
      for (PlannedWrite& write : writes) write.earlier = &(*earlier)[write.entry];
    };
    attach(plan->fixed);
    for (PlannedAdapter& adapter : plan->adapters) {
      for (auto& group : adapter.groups) attach(group);
    }
  }
  const bool nt = IsNtFamily(osCode);
  for (const PlannedWrite& write : plan->fixed) {
    // The fixed groups are the program's own keys, made where missing as an apply makes them; a
    // removal needs no key, and a missing key holds nothing to remove.
    ScopedRegKey key(registry);
    if (ActionOf(write) == Action::kRemove) {
      const RegStatus opened =
          registry.OpenKeyEx(write.hive, write.keyPath, kKeySetValue, key.Receive());
      Count(opened == kErrorSuccess ? RestoreValue(registry, nt, key.get(), write)
                                    : (opened == kErrorFileNotFound ? kErrorSuccess : opened),
            1, result);
      continue;
    }
    const RegStatus opened =
        registry.CreateKeyEx(write.hive, write.keyPath, kKeyWriteAndRead, key.Receive());
    Count(opened == kErrorSuccess ? RestoreValue(registry, nt, key.get(), write) : opened, 1,
          result);
  }
  std::size_t groups = 0;
  for (const PlannedAdapter& adapter : plan->adapters) {
    groups += adapter.groups.size();
    if (groups > kMostAdapterGroups) {
      result.skippedGroups += adapter.groups.size();
    } else {
      WriteAdapter(registry, nt, adapter, result);
    }
  }
  result.outcome = RestoreResult::Outcome::kRestored;
  return result;
}

RestoreResult RestoreBackup(RegistryPort& registry, FileSystemPort& files, OsCode osCode,
                            const std::string& file) {
  RestoreResult result;
  std::string text;
  result.reason = ReadBackupText(files, file, text);
  if (!result.reason.empty()) return result;
  const BackupReadResult read = ParseBackup(text);
  if (!read.ok()) {
    result.reason = read.error;
    return result;
  }
  // The record of what the values were before the apply, when it is there and belongs to this
  // very file; without it the file's numbers are restored.
  std::string recordText;
  std::optional<std::vector<EarlierValue>> earlier;
  if (files.ReadWholeFile(EarlierValuesPath(file), kLargestBackupFile, recordText) == kFileOk) {
    earlier = ParseEarlierValues(recordText, text);
  }
  return RestoreBackup(registry, osCode, *read.backup, earlier ? &*earlier : nullptr);
}

}  // namespace zephyr
