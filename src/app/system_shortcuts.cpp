#include "app/system_shortcuts.h"

namespace zephyr {

std::optional<std::string> NetworkSettingsCommand(OsCode osCode) {
  if (IsWin9xFamily(osCode)) return kNetworkSettings9xCommand;
  if (IsNtFamily(osCode)) return kNetworkSettingsNtCommand;
  return std::nullopt;
}

std::uint32_t OpenInternetProperties(ShellPort& shell) {
  return shell.StartProcess(kInternetPropertiesCommand, kSwShow);
}

std::uint32_t OpenModemSettings(ShellPort& shell) {
  return shell.StartProcess(kModemSettingsCommand, kSwShow);
}

std::uint32_t OpenSystemProperties(ShellPort& shell) {
  return shell.StartProcess(kSystemPropertiesCommand, kSwShow);
}

std::uint32_t OpenNetworkSettings(ShellPort& shell, OsCode osCode) {
  const auto command = NetworkSettingsCommand(osCode);
  return command ? shell.StartProcess(*command, kSwShow) : 0;
}

bool RestartWindows(ShellPort& shell) {
  shell.EnableShutdownPrivilege();
  // The reserved value has all 32 bits set, as the restart has always passed it.
  return shell.EndWindowsSession(kEwxReboot, 0xFFFFFFFFu);
}

}  // namespace zephyr
