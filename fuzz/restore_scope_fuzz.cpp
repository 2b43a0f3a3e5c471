// Feeds arbitrary bytes to the restore, as a backup file read from the backup folder, against an
// in-memory registry. Every value the restore writes must lie inside the backup layout of the
// system it restores on: a fixed group's key and value, or a per-adapter value one key below the
// adapter list. A restore writes nothing at all unless it reports the file restored, never
// removes anything, and counts every write it made.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "backup/backup_file.h"
#include "backup/backup_layout.h"
#include "backup/restore.h"
#include "fakes/fake_registry.h"
#include "tuning/registry_layout.h"

namespace {

using namespace zephyr;

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

// `path` is `before` + one key name + `after`, without regard to case.
bool OneKeyBetween(std::string_view path, std::string_view before, std::string_view after) {
  if (path.size() <= before.size() + after.size()) return false;
  if (!SameName(path.substr(0, before.size()), before)) return false;
  if (!SameName(path.substr(path.size() - after.size()), after)) return false;
  const std::string_view name = path.substr(before.size(), path.size() - before.size() - after.size());
  if (name == "." || name == "..") return false;
  for (const char c : name) {
    if (c == '\\' || static_cast<unsigned char>(c) < 0x20) return false;
  }
  return true;
}

bool InLayout(OsCode osCode, RegKey hive, std::string_view path, std::string_view name) {
  for (const backup_layout::GroupSpec& group : backup_layout::FixedGroups(osCode)) {
    if (group.hive != hive || !SameName(group.keyPath, path)) continue;
    for (const backup_layout::EntrySpec& entry : group.entries) {
      if (SameName(entry.valueName, name)) return true;
    }
  }
  // The values written beside an entry under the name or in the key Windows reads are in the
  // layout too, at their fixed places.
  for (const backup_layout::CompanionSpec& companion : backup_layout::Companions(osCode)) {
    if (companion.hive == hive && SameName(companion.keyPath, path) &&
        SameName(companion.valueName, name)) {
      return true;
    }
  }
  if (hive != kHKeyLocalMachine) return false;
  bool adapterValue = false;
  for (const backup_layout::EntrySpec& entry : backup_layout::PerAdapterEntries(osCode)) {
    adapterValue = adapterValue || SameName(entry.valueName, name);
  }
  if (!adapterValue) return false;
  const std::string services = std::string(layout::kServicesKey) + "\\";
  return IsNtFamily(osCode)
             ? OneKeyBetween(path, std::string(layout::kInterfacesKey) + "\\", "") ||
                   OneKeyBetween(path, services, "\\Parameters\\Tcpip")
             : OneKeyBetween(path, std::string(layout::kNetTransKey) + "\\", "");
}

// The in-memory registry, with every key handle's full path kept so that each write can be
// checked against the layout.
class ScopeCheckingRegistry final : public RegistryPort {
 public:
  explicit ScopeCheckingRegistry(OsCode osCode) : osCode_(osCode) {}

  std::size_t writes() const { return writes_; }

  RegStatus CreateKeyEx(RegKey parent, const std::string& subkey, std::uint32_t access,
                        RegKey* result) override {
    return Track(parent, subkey, registry_.CreateKeyEx(parent, subkey, access, result), result);
  }
  RegStatus OpenKeyEx(RegKey parent, const std::string& subkey, std::uint32_t access,
                      RegKey* result) override {
    return Track(parent, subkey, registry_.OpenKeyEx(parent, subkey, access, result), result);
  }
  RegStatus OpenKey(RegKey parent, const std::string& subkey, RegKey* result) override {
    return Track(parent, subkey, registry_.OpenKey(parent, subkey, result), result);
  }
  RegStatus QueryValueEx(RegKey key, const std::string& name, std::uint32_t* type,
                         std::uint8_t* data, std::uint32_t* size) override {
    return registry_.QueryValueEx(key, name, type, data, size);
  }
  RegStatus SetValueEx(RegKey key, const std::string& name, std::uint32_t type,
                       const std::uint8_t* data, std::uint32_t size) override {
    const auto [hive, path] = Where(key);
    if (!InLayout(osCode_, hive, path, name)) __builtin_trap();
    const RegStatus status = registry_.SetValueEx(key, name, type, data, size);
    if (status == kErrorSuccess) ++writes_;
    return status;
  }
  // A value that was absent before the apply is removed again, inside the layout only.
  RegStatus DeleteValue(RegKey key, const std::string& name) override {
    const auto [hive, path] = Where(key);
    if (!InLayout(osCode_, hive, path, name)) __builtin_trap();
    const RegStatus status = registry_.DeleteValue(key, name);
    if (status == kErrorSuccess || status == kErrorFileNotFound) ++writes_;
    return status;
  }
  RegStatus DeleteKey(RegKey, const std::string&) override { __builtin_trap(); }
  RegStatus EnumKey(RegKey key, std::uint32_t index, char* name, std::uint32_t capacity) override {
    return registry_.EnumKey(key, index, name, capacity);
  }
  RegStatus EnumKeyEx(RegKey key, std::uint32_t index, char* name,
                      std::uint32_t* length) override {
    return registry_.EnumKeyEx(key, index, name, length);
  }
  RegStatus CloseKey(RegKey key) override {
    paths_.erase(key);
    return registry_.CloseKey(key);
  }

 private:
  std::pair<RegKey, std::string> Where(RegKey key) const {
    const auto found = paths_.find(key);
    if (found != paths_.end()) return found->second;
    return {key, ""};  // a predefined hive
  }

  RegStatus Track(RegKey parent, const std::string& subkey, RegStatus status, RegKey* result) {
    if (status != kErrorSuccess) return status;
    auto [hive, path] = Where(parent);
    if (!subkey.empty()) path = path.empty() ? subkey : path + "\\" + subkey;
    paths_[*result] = {hive, path};
    return status;
  }

  testing::FakeRegistry registry_;
  OsCode osCode_;
  std::map<RegKey, std::pair<RegKey, std::string>> paths_;
  std::size_t writes_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const BackupReadResult read =
      ParseBackup(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!read.ok()) return 0;
  // On the system the file names, and on one of the other family, which must refuse it whole.
  const OsCode own = read.backup->osCode;
  for (const OsCode osCode : {own, static_cast<OsCode>(IsNtFamily(own) ? 3 : 7)}) {
    ScopeCheckingRegistry registry(osCode);
    const RestoreResult result = RestoreBackup(registry, osCode, *read.backup);
    if (!result.ok() && registry.writes() != 0) __builtin_trap();
    // A removal where the key itself is missing is restored without a registry call.
    if (result.ok() && result.valuesWritten < registry.writes()) __builtin_trap();
    if (!result.ok() && result.reason.empty()) __builtin_trap();
  }
  return 0;
}
