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

std::string DwordBytes(std::uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
  return bytes;
}

// The number as the family stores it: REG_DWORD on the NT family, decimal REG_SZ on 9x.
RestoredValue NumberValue(const PlannedWrite& write, bool nt) {
  RestoredValue value{write.hive, write.keyPath, write.valueName, false, kRegDword, {}};
  if (nt) {
    value.data = DwordBytes(write.value);
  } else {
    value.type = kRegSz;
    value.data = std::to_string(write.value) + std::string(1, '\0');
  }
  return value;
}

RestoredValue Resolve(const PlannedWrite& write, bool nt) {
  switch (ActionOf(write)) {
    case Action::kRemove:
      return {write.hive, write.keyPath, write.valueName, true, 0, {}};
    case Action::kWriteRecorded:
      return {write.hive, write.keyPath, write.valueName, false, write.earlier->type,
              write.earlier->data};
    case Action::kWriteNumber:
      break;
  }
  return NumberValue(write, nt);
}

// A companion goes back as its record says; without one (an older record, or none) as its twin
// goes back: removed with it, or set to the twin's number in the companion's own type.
RestoredValue ResolveCompanion(const backup_layout::CompanionSpec& companion,
                               const PlannedWrite& twin, const EarlierValue* recorded, bool nt) {
  RestoredValue value{companion.hive, std::string(companion.keyPath),
                      std::string(companion.valueName), false, companion.type, {}};
  if (recorded != nullptr && recorded->state == EarlierValue::State::kPresent) {
    value.type = recorded->type;
    value.data = recorded->data;
    return value;
  }
  if ((recorded != nullptr && recorded->state == EarlierValue::State::kAbsent) ||
      Resolve(twin, nt).remove) {
    value.remove = true;
    value.type = 0;
    return value;
  }
  value.data = companion.type == kRegDword ? DwordBytes(twin.value)
                                           : std::to_string(twin.value) + std::string(1, '\0');
  return value;
}

// Puts one value back into an opened key. Removing a value that is not there succeeds.
RegStatus RestoreValue(RegistryPort& registry, RegKey key, const RestoredValue& value) {
  if (value.remove) {
    const RegStatus status = registry.DeleteValue(key, value.valueName);
    return status == kErrorFileNotFound ? kErrorSuccess : status;
  }
  return registry.SetValueEx(key, value.valueName, value.type,
                             reinterpret_cast<const std::uint8_t*>(value.data.data()),
                             static_cast<std::uint32_t>(value.data.size()));
}

RegStatus RestoreValue(RegistryPort& registry, bool nt, RegKey key, const PlannedWrite& write) {
  return RestoreValue(registry, key, Resolve(write, nt));
}

// The fixed groups and the companions are the program's own keys, made where missing as an
// apply makes them; a removal needs no key, and a missing key holds nothing to remove.
RegStatus RestoreOwnValue(RegistryPort& registry, const RestoredValue& value) {
  ScopedRegKey key(registry);
  if (value.remove) {
    const RegStatus opened =
        registry.OpenKeyEx(value.hive, value.keyPath, kKeySetValue, key.Receive());
    if (opened == kErrorFileNotFound) return kErrorSuccess;
    return opened == kErrorSuccess ? RestoreValue(registry, key.get(), value) : opened;
  }
  const RegStatus opened =
      registry.CreateKeyEx(value.hive, value.keyPath, kKeyWriteAndRead, key.Receive());
  return opened == kErrorSuccess ? RestoreValue(registry, key.get(), value) : opened;
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

// The plan of a checked file with its record attached, when the record is whole: one entry for
// every entry of the file, and, from this program on, the companions after them.
struct AttachedPlan {
  Plan plan;
  std::vector<const EarlierValue*> companions;  // null where the record has none
  bool usedEarlierValues = false;
};

std::optional<AttachedPlan> MakePlan(const BackupFile& backup, OsCode osCode,
                                     const std::vector<EarlierValue>* earlier,
                                     std::string& reason) {
  RestorePlan planner(backup, osCode);
  auto plan = planner.Make();
  if (!plan) {
    reason = planner.reason();
    return std::nullopt;
  }
  AttachedPlan attached{std::move(*plan), {}, false};
  const auto companions = backup_layout::Companions(osCode);
  attached.companions.assign(companions.size(), nullptr);
  const std::size_t entries = planner.entries();
  if (earlier != nullptr &&
      (earlier->size() == entries || earlier->size() == entries + companions.size())) {
    attached.usedEarlierValues = true;
    const auto attach = [earlier](std::vector<PlannedWrite>& writes) {
      for (PlannedWrite& write : writes) write.earlier = &(*earlier)[write.entry];
    };
    attach(attached.plan.fixed);
    for (PlannedAdapter& adapter : attached.plan.adapters) {
      for (auto& group : adapter.groups) attach(group);
    }
    if (earlier->size() > entries) {
      for (std::size_t i = 0; i < companions.size(); ++i) {
        attached.companions[i] = &(*earlier)[entries + i];
      }
    }
  }
  return attached;
}

std::vector<RestoredValue> CompanionValues(const AttachedPlan& attached, OsCode osCode) {
  std::vector<RestoredValue> values;
  const auto companions = backup_layout::Companions(osCode);
  for (std::size_t i = 0; i < companions.size(); ++i) {
    values.push_back(ResolveCompanion(companions[i], attached.plan.fixed.at(companions[i].twin),
                                      attached.companions[i], IsNtFamily(osCode)));
  }
  return values;
}

}  // namespace

std::string CheckBackupLayout(const BackupFile& backup, OsCode osCode) {
  if (backup.osCode != osCode) return kOtherOperatingSystemMessage;
  RestorePlan plan(backup, osCode);
  return plan.Make() ? std::string() : plan.reason();
}

RestoredValues PlanRestoredValues(const BackupFile& backup, OsCode osCode,
                                  const std::vector<EarlierValue>* earlier) {
  RestoredValues result;
  if (backup.osCode != osCode) {
    result.reason = kOtherOperatingSystemMessage;
    return result;
  }
  auto attached = MakePlan(backup, osCode, earlier, result.reason);
  if (!attached) return result;
  const bool nt = IsNtFamily(osCode);
  for (const PlannedWrite& write : attached->plan.fixed) result.values.push_back(Resolve(write, nt));
  for (RestoredValue& value : CompanionValues(*attached, osCode)) {
    result.values.push_back(std::move(value));
  }
  std::size_t groups = 0;
  for (const PlannedAdapter& adapter : attached->plan.adapters) {
    groups += adapter.groups.size();
    if (groups > kMostAdapterGroups) break;
    for (const auto& group : adapter.groups) {
      for (const PlannedWrite& write : group) {
        RestoredValue value = Resolve(write, nt);
        value.adapter = true;
        result.values.push_back(std::move(value));
      }
    }
  }
  return result;
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
  auto attached = MakePlan(backup, osCode, earlier, result.reason);
  if (!attached) return result;
  result.usedEarlierValues = attached->usedEarlierValues;
  const bool nt = IsNtFamily(osCode);
  for (const PlannedWrite& write : attached->plan.fixed) {
    Count(RestoreOwnValue(registry, Resolve(write, nt)), 1, result);
  }
  for (const RestoredValue& value : CompanionValues(*attached, osCode)) {
    Count(RestoreOwnValue(registry, value), 1, result);
  }
  std::size_t groups = 0;
  for (const PlannedAdapter& adapter : attached->plan.adapters) {
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

LoadedBackup LoadBackup(FileSystemPort& files, const std::string& file) {
  LoadedBackup loaded;
  std::string text;
  loaded.reason = ReadBackupText(files, file, text);
  if (!loaded.reason.empty()) return loaded;
  BackupReadResult read = ParseBackup(text);
  if (!read.ok()) {
    loaded.reason = read.error;
    return loaded;
  }
  loaded.backup = std::move(read.backup);
  // The record of what the values were before the apply, when it is there and belongs to this
  // very file; without it the file's numbers stand.
  std::string recordText;
  if (files.ReadWholeFile(EarlierValuesPath(file), kLargestBackupFile, recordText) == kFileOk) {
    loaded.earlier = ParseEarlierValues(recordText, text);
  }
  return loaded;
}

RestoreResult RestoreBackup(RegistryPort& registry, FileSystemPort& files, OsCode osCode,
                            const std::string& file) {
  const LoadedBackup loaded = LoadBackup(files, file);
  if (!loaded.ok()) {
    RestoreResult result;
    result.reason = loaded.reason;
    return result;
  }
  return RestoreBackup(registry, osCode, *loaded.backup, loaded.record());
}

}  // namespace zephyr
