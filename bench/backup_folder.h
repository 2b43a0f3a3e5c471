// The registry and backup folder of the benchmarks. The folder both backup-list benchmarks
// read: 999 valid backups (NT layout, three interfaces), 001.BCK to 999.BCK, taken at dates and
// times spread in no order, so the date sort has real work to do.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

#include "backup/backup_file.h"
#include "fakes/fake_registry.h"
#include "fakes/temp_dir.h"
#include "platform/os_version.h"

namespace zephyr::testing {

inline constexpr int kListedBackups = 999;

// The three network interfaces the benchmarks' registry holds.
inline void AddThreeInterfaces(FakeRegistry& registry) {
  for (const char* id : {"{11111111-1111-1111-1111-111111111111}",
                         "{22222222-2222-2222-2222-222222222222}",
                         "{33333333-3333-3333-3333-333333333333}"}) {
    registry.CreatePath(kHKeyLocalMachine,
                        std::string("SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\"
                                    "Interfaces\\") +
                            id);
  }
}

// Writes the backups into `folder` (created); returns false if a snapshot could not be taken.
inline bool WriteBackupFolder(const std::filesystem::path& folder) {
  FakeRegistry registry;
  AddThreeInterfaces(registry);
  std::filesystem::create_directories(folder);
  for (int i = 1; i <= kListedBackups; ++i) {
    const int k = (i * 617) % 1009;  // a permutation of the numbers, so no order by name
    const LocalDateTime taken{2020 + k % 7, 1 + k % 12, 1 + k % 28, k % 24, (k * 7) % 60,
                              (k * 13) % 60};
    const Snapshot snapshot = TakeSnapshot(registry, kOsWindowsXp, taken);
    if (!snapshot.ok()) return false;
    char name[16];
    std::snprintf(name, sizeof name, "%03d.BCK", i);
    std::FILE* out = std::fopen((folder / name).string().c_str(), "wb");
    if (out == nullptr) return false;
    const std::string text = SerializeBackup(snapshot.backup);
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);
  }
  return true;
}

}  // namespace zephyr::testing
