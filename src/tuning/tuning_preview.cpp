#include "tuning/tuning_preview.h"

#include <algorithm>

#include "backup/backup_file.h"
#include "backup/backup_layout.h"
#include "platform/registry.h"

namespace zephyr {
namespace {

// From docs/registry-values.md: the NT values Vista and later ignore.
constexpr std::string_view kNotReadOnVista[] = {"TcpWindowSize", "GlobalMaxTcpWindowSize",
                                                "SYNAttackProtect"};

}  // namespace

EarlierValue StateAfter(const TuningWrite& write) {
  if (write.remove) return {EarlierValue::State::kAbsent, 0, {}};
  EarlierValue value{EarlierValue::State::kPresent, write.type, {}};
  if (write.type == kRegDword) {
    const auto number = static_cast<std::uint32_t>(write.value);
    for (int i = 0; i < 4; ++i) value.data += static_cast<char>(number >> (8 * i));
  } else {
    value.data = std::to_string(write.value) + std::string(1, '\0');
  }
  return value;
}

TuningPreview PreviewTuningSet(const TuningParams& params, RegistryPort& registry, OsCode osCode) {
  TuningPreview preview;
  preview.osCode = osCode;
  if (!IsWin9xFamily(osCode) && !IsNtFamily(osCode)) return preview;
  // The same adapters the backup holds: one whose name cannot be read or backed up is not touched.
  const backup_layout::AdapterList adapters = backup_layout::ListAdapters(registry, osCode);
  preview.skippedAdapters = adapters.skipped;
  for (const TuningWrite& write : PlanTuningWrites(params, osCode, adapters.names)) {
    ValueChange change{write.hive, write.keyPath, write.valueName,
                       ReadRegistryValue(registry, write.hive, write.keyPath, write.valueName),
                       StateAfter(write)};
    if (SameValue(change.before, change.after)) {
      ++preview.unchanged;
    } else {
      preview.changes.push_back({write, std::move(change)});
    }
  }
  return preview;
}

ApplyResult ApplyTuningChanges(const TuningPreview& preview, const TuningTarget& target) {
  ApplyResult result;
  if (!IsWin9xFamily(target.osCode) && !IsNtFamily(target.osCode)) return result;

  // Nothing is written unless the values it replaces are safe in a backup file first.
  const SaveBackupResult backup =
      SaveBackup(target.registry, target.clock, target.files, target.osCode, target.backupFolder,
                 target.numberedWith);
  if (!backup.ok()) {
    result.outcome = ApplyResult::Outcome::kBackupFailed;
    result.backupError = backup.error;
    return result;
  }
  result.outcome = ApplyResult::Outcome::kApplied;
  result.backupFile = backup.file;
  result.skippedAdapters = preview.skippedAdapters;
  for (const TuningChange& change : preview.changes) {
    const TuningWrite& write = change.write;
    const RegStatus status = SetRegistryValue(target.registry, write.hive, write.keyPath,
                                              write.valueName, write.type, write.value,
                                              write.remove);
    ++result.writes;
    // Removing a value that is already gone leaves the registry as wanted.
    const bool done = status == kErrorSuccess || (write.remove && status == kErrorFileNotFound);
    if (!done) ++result.failedWrites;
  }
  return result;
}

std::vector<std::string> ValuesNotReadOnVista(const TuningPreview& preview) {
  std::vector<std::string> names;
  if (!IsNtFamily(preview.osCode)) return names;
  for (const std::string_view name : kNotReadOnVista) {
    const bool written = std::any_of(preview.changes.begin(), preview.changes.end(),
                                     [name](const TuningChange& c) { return c.write.valueName == name; });
    if (written) names.emplace_back(name);
  }
  return names;
}

std::string NotReadOnVistaLine(const std::vector<std::string>& names) {
  if (names.empty()) return {};
  std::string list;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) list += i + 1 == names.size() ? " and " : ", ";
    list += names[i];
  }
  return "This Windows no longer reads " + list + ": " +
         (names.size() == 1 ? "it is" : "they are") + " written all the same, to no effect here.";
}

}  // namespace zephyr
