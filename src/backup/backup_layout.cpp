#include "backup/backup_layout.h"

#include "platform/registry.h"
#include "tuning/registry_layout.h"

namespace zephyr::backup_layout {
namespace {

using K = EntryKind;

constexpr EntrySpec k9xGroupA[] = {
    {"SackOpts", K::kFixed, 1},
    {"Tcp1323Opts", K::kFixed, 1},
    {"DefaultTTL", K::kValue, 0, true},
    {"DefaultRcvWindow", K::kValue, 0, true},
    {"GlobalMaxTcpWindowSize", K::kValue, 0, true},
    {"PMTUBlackHoleDetect", K::kFlag},
    // Recorded a second time, as the file format has always done.
    {"DefaultRcvWindow", K::kValue, 0, true},
    {"PMTUDiscovery", K::kFlag},
    {"KeepAliveTime", K::kValue, 0, true},
    {"KeepAliveInterval", K::kValue, 0, true},
};

constexpr EntrySpec kNtGroupA[] = {
    {"SackOpts", K::kFixed, 1},
    {"Tcp1323Opts", K::kFixed, 1},
    {"TcpMaxDupAcks", K::kFixed, 2},
    {"DefaultReceiveWindow", K::kFixed, 8192, true},
    {"DefaultTTL", K::kValue, 0, true},
    {"GlobalMaxTcpWindowSize", K::kValue, 0, true},
    {"TcpWindowSize", K::kValue, 0, true},
    {"EnablePMTUBHDetect"},
    {"EnablePMTUDiscovery"},
    {"KeepAliveTime", K::kValue, 0, true},
    {"KeepAliveInterval", K::kValue, 0, true},
    {"SYNAttackProtect"},
    {"EnableICMPRedirects"},
};

constexpr EntrySpec kGroupB[] = {
    {"MaxConnectionsPer1_0Server", K::kValue, 0, true},
    {"MaxConnectionsPerServer", K::kValue, 0, true},
};

constexpr EntrySpec kGroupC[] = {{""}};

constexpr EntrySpec k9xPerAdapter[] = {{"MaxMTU", K::kValue, 0, true},
                                       {"MaxMSS", K::kValue, 0, true}};
constexpr EntrySpec kNtPerAdapter[] = {{"MTU", K::kValue, 0, true}, {"MSS", K::kValue, 0, true}};

constexpr GroupSpec k9xGroups[] = {
    {kHKeyLocalMachine, layout::kMstcpKey, layout::kMstcpKey, k9xGroupA},
    {kHKeyCurrentUser, layout::kInternetSettings9xKey, layout::kInternetSettings9xKey, kGroupB},
    {kHKeyLocalMachine, layout::kNdiCacheSizeKey, layout::kNdiCacheSizeKey, kGroupC},
};

constexpr GroupSpec kNtGroups[] = {
    {kHKeyLocalMachine, layout::kTcpipParametersKey, layout::kTcpipParametersReadKey, kNtGroupA},
    {kHKeyCurrentUser, layout::kInternetSettingsNtKey, layout::kInternetSettingsNtKey, kGroupB},
    {kHKeyLocalMachine, layout::kNdiCacheSizeKey, layout::kNdiCacheSizeKey, kGroupC},
};

constexpr CompanionSpec k9xCompanions[] = {
    {kHKeyLocalMachine, layout::kMstcpParametersKey, "GlobalMaxTcpWindoSize", kRegDword, 4},
};
constexpr CompanionSpec kNtCompanions[] = {
    {kHKeyLocalMachine, layout::kTcpipParametersKey, "EnableICMPRedirect", kRegDword, 12},
};

}  // namespace

std::span<const CompanionSpec> Companions(OsCode osCode) {
  if (IsWin9xFamily(osCode)) return k9xCompanions;
  if (IsNtFamily(osCode)) return kNtCompanions;
  return {};
}

std::span<const GroupSpec> FixedGroups(OsCode osCode) {
  if (IsWin9xFamily(osCode)) return k9xGroups;
  if (IsNtFamily(osCode)) return kNtGroups;
  return {};
}

std::span<const EntrySpec> PerAdapterEntries(OsCode osCode) {
  if (IsWin9xFamily(osCode)) return k9xPerAdapter;
  if (IsNtFamily(osCode)) return kNtPerAdapter;
  return {};
}

bool IsAdapterName(std::string_view name) {
  constexpr std::size_t kLongestKeyName = 255;
  if (name.empty() || name.size() > kLongestKeyName || name == "." || name == "..") return false;
  for (const char c : name) {
    if (c == '\\' || c == '"' || static_cast<unsigned char>(c) < 0x20) return false;
  }
  return true;
}

AdapterList ListAdapters(RegistryPort& registry, OsCode osCode) {
  AdapterList adapters;
  if (!IsWin9xFamily(osCode) && !IsNtFamily(osCode)) return adapters;
  SubkeyList listed = ListSubkeys(registry, kHKeyLocalMachine,
                                  IsNtFamily(osCode) ? layout::kInterfacesKey
                                                     : layout::kNetTransKey);
  adapters.skipped = listed.unreadable;
  for (std::string& name : listed.names) {
    if (IsAdapterName(name)) {
      adapters.names.push_back(std::move(name));
    } else {
      ++adapters.skipped;
    }
  }
  return adapters;
}

}  // namespace zephyr::backup_layout
