// The Windows pages that matter for an internet connection, and a restart of Windows, which the
// tuned TCP/IP values need before they take effect.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/os_version.h"
#include "platform/shell_port.h"

namespace zephyr {

// The command lines of the control-panel pages.
inline constexpr char kInternetPropertiesCommand[] =
    "rundll32.exe shell32.dll,Control_RunDLL inetcpl.cpl,,0";
inline constexpr char kModemSettingsCommand[] = "rundll32.exe shell32.dll,Control_RunDLL modem.cpl";
inline constexpr char kSystemPropertiesCommand[] =
    "rundll32.exe shell32.dll,Control_RunDLL sysdm.cpl,,0";
inline constexpr char kNetworkSettings9xCommand[] =
    "rundll32.exe shell32.dll,Control_RunDLL netcpl.cpl";
inline constexpr char kNetworkSettingsNtCommand[] =
    "rundll32.exe shell32.dll,Control_RunDLL ncpa.cpl";

// The network page of the family, or nothing for an OS code outside 1 to 7.
std::optional<std::string> NetworkSettingsCommand(OsCode osCode);

// Each starts its page without waiting and returns the process identifier (0 when not started).
std::uint32_t OpenInternetProperties(ShellPort& shell);
std::uint32_t OpenModemSettings(ShellPort& shell);
std::uint32_t OpenSystemProperties(ShellPort& shell);
std::uint32_t OpenNetworkSettings(ShellPort& shell, OsCode osCode);

// Asks Windows to restart (not shut down, not log off), after enabling the privilege it needs.
// True when Windows has accepted the request.
bool RestartWindows(ShellPort& shell);

inline constexpr char kRestartRefusedMessage[] =
    "Windows did not allow Zephyrnet to restart it. Restart Windows yourself so that the new "
    "settings take effect.";

}  // namespace zephyr
