// Where each Windows family keeps the values the program tunes. The apply, the backup writer and
// the restore all take their key paths from here.
#pragma once

#include <string>
#include <string_view>

namespace zephyr::layout {

// Windows 9x family.
inline constexpr std::string_view kMstcpKey = "System\\CurrentControlSet\\Services\\VxD\\MSTCP";
inline constexpr std::string_view kInternetSettings9xKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
inline constexpr std::string_view kNetTransKey =
    "System\\CurrentControlSet\\Services\\Class\\NetTrans";
// Windows 98 reads its global window limit here, as the REG_DWORD "GlobalMaxTcpWindoSize"
// (spelt so by its TCP/IP driver, Microsoft Knowledge Base article 239731).
inline constexpr std::string_view kMstcpParametersKey =
    "System\\CurrentControlSet\\Services\\VxD\\MSTCP\\Parameters";

// NT family.
inline constexpr std::string_view kTcpipParametersKey =
    "System\\CurrentControlSet\\Services\\Tcpip\\Parameters";
// The backup reads the same key under this spelling; the registry does not mind the case.
inline constexpr std::string_view kTcpipParametersReadKey =
    "SYSTEM\\CurrentControlSet\\Services\\tcpip\\parameters";
inline constexpr std::string_view kInternetSettingsNtKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
inline constexpr std::string_view kInterfacesKey =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces";
inline constexpr std::string_view kServicesKey = "SYSTEM\\CurrentControlSet\\Services";

// Both families: the NDI cache size is the default value of this key.
inline constexpr std::string_view kNdiCacheSizeKey =
    "System\\CurrentControlSet\\Services\\VxD\\NWLink\\Ndi\\params\\cachesize";

// One transport of the 9x network class.
inline std::string TransportKey(std::string_view transport) {
  return std::string(kNetTransKey) + "\\" + std::string(transport);
}
// One adapter interface of the NT TCP/IP parameters.
inline std::string InterfaceKey(std::string_view interfaceId) {
  return std::string(kInterfacesKey) + "\\" + std::string(interfaceId);
}
// The adapter's own TCP/IP parameters on the NT family.
inline std::string AdapterTcpipKey(std::string_view interfaceId) {
  return std::string(kServicesKey) + "\\" + std::string(interfaceId) + "\\Parameters\\Tcpip";
}

}  // namespace zephyr::layout
