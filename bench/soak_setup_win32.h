// What the soak and the idle processor benchmark share: the settings they run the program with
// (the pinger on, pinging this computer every minute; the low-memory alarm above any free memory,
// with its sound, so it fires all along), and the program's start with them. The guard that
// PutSettings returns puts back what was stored before when it goes.
#pragma once

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "win32/real_registry_win32.h"

namespace zephyr::bench {

struct Setting {
  const char* subkey;
  const char* name;
  const char* value;
};

constexpr char kSettingsKey[] = "SOFTWARE\\Corvanta\\Zephyrnet\\Settings\\";
constexpr Setting kSettings[] = {
    {"NetPinger", "chkDoPinging", "1"},     {"NetPinger", "optAuto", "false"},
    {"NetPinger", "optManual", "true"},     {"NetPinger", "txtPingHost", "127.0.0.1"},
    {"NetPinger", "cmbPingInterval", "0"},  {"NetPinger", "chkSound", "1"},
    {"RamSettings", "chkSoundon", "1"},     {"RamSettings", "txtAlarm", "32767"},
    {"RamSettings", "chkAutomatic", "0"},
};

inline std::unique_ptr<automation::SavedRegistryValues> PutSettings() {
  std::vector<automation::SavedRegistryValues::Value> values;
  for (const Setting& setting : kSettings) {
    values.push_back({HKEY_LOCAL_MACHINE, std::string(kSettingsKey) + setting.subkey, setting.name});
  }
  auto saved = std::make_unique<automation::SavedRegistryValues>(values);
  for (std::size_t i = 0; i < values.size(); ++i) {
    automation::WriteReal(values[i].hive, values[i].path, values[i].name,
                          automation::SzValue(kSettings[i].value));
  }
  return saved;
}

// Stores the settings and starts PROGRAM.exe with them; on failure says so and puts them back.
inline bool StartWithSettings(const char* program,
                              std::unique_ptr<automation::SavedRegistryValues>* saved,
                              PROCESS_INFORMATION* started) {
  *saved = PutSettings();
  std::string commandLine = std::string("\"") + program + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, started)) {
    std::fprintf(stderr, "cannot start %s\n", program);
    saved->reset();
    return false;
  }
  CloseHandle(started->hThread);
  return true;
}

}  // namespace zephyr::bench
