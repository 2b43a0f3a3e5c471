#include "tuning/tuning_params.h"

#include "backup/backup_file.h"
#include "backup/backup_layout.h"
#include "platform/registry.h"
#include "tuning/registry_layout.h"

namespace zephyr {
namespace {

class WritePlan {
 public:
  explicit WritePlan(std::uint32_t type) : type_(type) {}

  void Add(RegKey hive, std::string_view keyPath, std::string_view valueName, std::int64_t value,
           bool remove = false) {
    writes_.push_back({hive, std::string(keyPath), std::string(valueName), type_, value, remove});
  }
  std::vector<TuningWrite> Take() { return std::move(writes_); }

 private:
  std::uint32_t type_;
  std::vector<TuningWrite> writes_;
};

std::vector<TuningWrite> Plan9x(const TuningParams& p, const std::vector<std::string>& transports) {
  using namespace layout;
  WritePlan plan(kRegSz);
  const bool removeWindow = p.RWIN == -1;
  const bool removeMtu = p.MTU == -1;
  plan.Add(kHKeyLocalMachine, kMstcpKey, "SackOpts", 1);
  plan.Add(kHKeyLocalMachine, kMstcpKey, "Tcp1323Opts", 1);
  plan.Add(kHKeyLocalMachine, kMstcpKey, "DefaultTTL", p.TTL);
  plan.Add(kHKeyLocalMachine, kMstcpKey, "DefaultRcvWindow", p.RWIN, removeWindow);
  plan.Add(kHKeyLocalMachine, kMstcpKey, "GlobalMaxTcpWindowSize", p.RWIN, removeWindow);
  plan.Add(kHKeyLocalMachine, kMstcpKey, "PMTUBlackHoleDetect", BoolToFlag(p.PMTUBlackHoleDetect));
  plan.Add(kHKeyLocalMachine, kMstcpKey, "PMTUDiscovery", BoolToFlag(p.PMTUDiscovery));
  plan.Add(kHKeyLocalMachine, kMstcpKey, "KeepAliveTime", p.KeepAliveTime);
  plan.Add(kHKeyLocalMachine, kMstcpKey, "KeepAliveInterval", p.KeepAliveInterval);
  plan.Add(kHKeyCurrentUser, kInternetSettings9xKey, "MaxConnectionsPer1_0Server",
           p.MaxConnectionsPer1_0Server);
  plan.Add(kHKeyCurrentUser, kInternetSettings9xKey, "MaxConnectionsPerServer",
           p.MaxConnectionsPerServer);
  plan.Add(kHKeyLocalMachine, kNdiCacheSizeKey, "", p.NDICacheSize);
  for (const std::string& transport : transports) {
    const std::string key = TransportKey(transport);
    plan.Add(kHKeyLocalMachine, key, "MaxMTU", p.MTU, removeMtu);
    plan.Add(kHKeyLocalMachine, key, "MaxMSS", p.MSS, removeMtu);
  }
  return plan.Take();
}

std::vector<TuningWrite> PlanNt(const TuningParams& p, const std::vector<std::string>& interfaces) {
  using namespace layout;
  WritePlan plan(kRegDword);
  const bool removeWindow = p.RWIN == -1;
  const bool removeMtu = p.MTU == -1;
  plan.Add(kHKeyLocalMachine, kTcpipParametersKey, "SackOpts", 1);
  plan.Add(kHKeyLocalMachine, kTcpipParametersKey, "Tcp1323Opts", 1);
  plan.Add(kHKeyLocalMachine, kTcpipParametersKey, "TcpMaxDupAcks", 2);
  plan.Add(kHKeyLocalMachine, kTcpipParametersKey, "DefaultReceiveWindow", 8192);
  plan.Add(kHKeyLocalMachine, kTcpipParametersKey, "DefaultTTL", p.TTL);
  plan.Add(kHKeyLocalMachine, kTcpipParametersKey, "GlobalMaxTcpWindowSize", p.RWIN, removeWindow);
  plan.Add(kHKeyLocalMachine, kTcpipParametersKey, "TcpWindowSize", p.RWIN, removeWindow);
  plan.Add(kHKeyLocalMachine, kTcpipParametersKey, "EnablePMTUBHDetect",
           BoolToFlag(p.PMTUBlackHoleDetect));
  plan.Add(kHKeyLocalMachine, kTcpipParametersKey, "EnablePMTUDiscovery",
           BoolToFlag(p.PMTUDiscovery));
  plan.Add(kHKeyLocalMachine, kTcpipParametersKey, "KeepAliveTime", p.KeepAliveTime);
  plan.Add(kHKeyLocalMachine, kTcpipParametersKey, "KeepAliveInterval", p.KeepAliveInterval);
  plan.Add(kHKeyLocalMachine, kTcpipParametersKey, "SYNAttackProtect", p.SYNAttackProtect);
  plan.Add(kHKeyLocalMachine, kTcpipParametersKey, "EnableICMPRedirects",
           BoolToFlag(p.ICMPRedirects));
  plan.Add(kHKeyCurrentUser, kInternetSettingsNtKey, "MaxConnectionsPer1_0Server",
           p.MaxConnectionsPer1_0Server);
  plan.Add(kHKeyCurrentUser, kInternetSettingsNtKey, "MaxConnectionsPerServer",
           p.MaxConnectionsPerServer);
  for (const std::string& interfaceId : interfaces) {
    const std::string interfaceKey = InterfaceKey(interfaceId);
    const std::string adapterKey = AdapterTcpipKey(interfaceId);
    plan.Add(kHKeyLocalMachine, interfaceKey, "MTU", p.MTU, removeMtu);
    plan.Add(kHKeyLocalMachine, adapterKey, "MTU", p.MTU, removeMtu);
    plan.Add(kHKeyLocalMachine, interfaceKey, "MSS", p.MSS, removeMtu);
    plan.Add(kHKeyLocalMachine, adapterKey, "MSS", p.MSS, removeMtu);
  }
  plan.Add(kHKeyLocalMachine, kNdiCacheSizeKey, "", p.NDICacheSize);
  return plan.Take();
}

}  // namespace

std::vector<TuningWrite> PlanTuningWrites(const TuningParams& params, OsCode osCode,
                                          const std::vector<std::string>& perAdapterSubkeys) {
  if (IsWin9xFamily(osCode)) return Plan9x(params, perAdapterSubkeys);
  if (IsNtFamily(osCode)) return PlanNt(params, perAdapterSubkeys);
  return {};
}

ApplyResult ApplyTuningSet(const TuningParams& params, const TuningTarget& target) {
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

  // The same adapters the backup holds: one whose name cannot be read or backed up is not touched.
  const backup_layout::AdapterList adapters =
      backup_layout::ListAdapters(target.registry, target.osCode);
  result.skippedAdapters = adapters.skipped;
  for (const TuningWrite& write : PlanTuningWrites(params, target.osCode, adapters.names)) {
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

}  // namespace zephyr
