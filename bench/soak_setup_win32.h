// What the soak and the idle processor benchmark share: the settings they run the program with
// (the pinger on, pinging this computer every minute; the low-memory alarm above any free memory,
// with its sound, so it fires all along), and the program's start with them. PutSettings stores
// them and returns what was there before, which PutBack puts back at the end.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

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

struct Stored {
  std::string key, name;
  bool existed;
  DWORD type;
  std::vector<BYTE> data;
};

inline std::vector<Stored> PutSettings() {
  std::vector<Stored> before;
  for (const Setting& setting : kSettings) {
    const std::string key = std::string(kSettingsKey) + setting.subkey;
    HKEY opened = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE,
                        nullptr, &opened, nullptr) != ERROR_SUCCESS) {
      continue;
    }
    Stored stored{key, setting.name, false, 0, std::vector<BYTE>(4096)};
    DWORD size = static_cast<DWORD>(stored.data.size());
    stored.existed = RegQueryValueExA(opened, setting.name, nullptr, &stored.type,
                                      stored.data.data(), &size) == ERROR_SUCCESS;
    stored.data.resize(stored.existed ? size : 0);
    RegSetValueExA(opened, setting.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(setting.value),
                   static_cast<DWORD>(std::strlen(setting.value) + 1));
    RegCloseKey(opened);
    before.push_back(std::move(stored));
  }
  return before;
}

inline void PutBack(const std::vector<Stored>& before) {
  for (const Stored& stored : before) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, stored.key.c_str(), 0, KEY_WRITE, &opened) !=
        ERROR_SUCCESS) {
      continue;
    }
    if (stored.existed) {
      RegSetValueExA(opened, stored.name.c_str(), 0, stored.type, stored.data.data(),
                     static_cast<DWORD>(stored.data.size()));
    } else {
      RegDeleteValueA(opened, stored.name.c_str());
    }
    RegCloseKey(opened);
  }
}

// Stores the settings and starts PROGRAM.exe with them; on failure says so and puts them back.
inline bool StartWithSettings(const char* program, std::vector<Stored>* before,
                              PROCESS_INFORMATION* started) {
  *before = PutSettings();
  std::string commandLine = std::string("\"") + program + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, started)) {
    std::fprintf(stderr, "cannot start %s\n", program);
    PutBack(*before);
    return false;
  }
  CloseHandle(started->hThread);
  return true;
}

}  // namespace zephyr::bench
