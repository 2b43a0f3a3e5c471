#include "tuning/tuning_params.h"

#include "backup/backup_file.h"
#include "backup/backup_layout.h"
#include "platform/registry.h"
#include "tuning/registry_layout.h"
#include "tuning/tuning_preview.h"

namespace zephyr {
namespace {

class WritePlan {
 public:
  explicit WritePlan(std::uint32_t type) : type_(type) {}

  void Add(RegKey hive, std::string_view keyPath, std::string_view valueName, std::int64_t value,
           bool remove = false) {
    AddTyped(hive, keyPath, valueName, type_, value, remove);
  }
  void AddTyped(RegKey hive, std::string_view keyPath, std::string_view valueName,
                std::uint32_t type, std::int64_t value, bool remove = false) {
    writes_.push_back({hive, std::string(keyPath), std::string(valueName), type, value, remove});
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
  // The name and place Windows 98 reads the same limit from.
  plan.AddTyped(kHKeyLocalMachine, kMstcpParametersKey, "GlobalMaxTcpWindoSize", kRegDword,
                p.RWIN, removeWindow);
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
  // The name Windows reads; the one above is kept for the backups and tools that know it.
  plan.Add(kHKeyLocalMachine, kTcpipParametersKey, "EnableICMPRedirect",
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
  return ApplyTuningChanges(PreviewTuningSet(params, target.registry, target.osCode), target);
}

}  // namespace zephyr
