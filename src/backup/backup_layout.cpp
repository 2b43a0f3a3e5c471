#include "backup/backup_layout.h"

#include "tuning/registry_layout.h"

namespace zephyr::backup_layout {
namespace {

using K = EntryKind;

constexpr EntrySpec k9xGroupA[] = {
    {"SackOpts", K::kFixed, 1},
    {"Tcp1323Opts", K::kFixed, 1},
    {"DefaultTTL"},
    {"DefaultRcvWindow"},
    {"GlobalMaxTcpWindowSize"},
    {"PMTUBlackHoleDetect", K::kFlag},
    // Recorded a second time, as the file format has always done.
    {"DefaultRcvWindow"},
    {"PMTUDiscovery", K::kFlag},
    {"KeepAliveTime"},
    {"KeepAliveInterval"},
};

constexpr EntrySpec kNtGroupA[] = {
    {"SackOpts", K::kFixed, 1},
    {"Tcp1323Opts", K::kFixed, 1},
    {"TcpMaxDupAcks", K::kFixed, 2},
    {"DefaultReceiveWindow", K::kFixed, 8192},
    {"DefaultTTL"},
    {"GlobalMaxTcpWindowSize"},
    {"TcpWindowSize"},
    {"EnablePMTUBHDetect"},
    {"EnablePMTUDiscovery"},
    {"KeepAliveTime"},
    {"KeepAliveInterval"},
    {"SYNAttackProtect"},
    {"EnableICMPRedirects"},
};

constexpr EntrySpec kGroupB[] = {
    {"MaxConnectionsPer1_0Server"},
    {"MaxConnectionsPerServer"},
};

constexpr EntrySpec kGroupC[] = {{""}};

constexpr EntrySpec k9xPerAdapter[] = {{"MaxMTU"}, {"MaxMSS"}};
constexpr EntrySpec kNtPerAdapter[] = {{"MTU"}, {"MSS"}};

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

}  // namespace

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

}  // namespace zephyr::backup_layout
