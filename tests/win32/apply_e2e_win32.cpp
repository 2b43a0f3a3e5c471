// An apply of the "Automatic-E" mode against the real registry of the running (emulated) Windows:
// every value lands where the family's layout puts it, checked with the registry API itself, and
// the backup left behind reads back.
//
// Run as a given Windows version by tests/wine/run_as.sh, with --expect-os=CODE. It changes the
// machine's TCP/IP values, so it runs only where ZEPHYR_DISPOSABLE_REGISTRY says the registry is a
// throw-away one (the private Wine prefix).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "backup/backup_file.h"
#include "backup/backup_layout.h"
#include "backup/reg_export.h"
#include "backup/restore.h"
#include "fakes/temp_dir.h"
#include "platform/clock_win32.h"
#include "platform/file_system_win32.h"
#include "platform/os_version.h"
#include "platform/registry.h"
#include "platform/registry_win32.h"
#include "platform/system_win32.h"
#include "tuning/presets.h"
#include "tuning/registry_layout.h"
#include "tuning/tuning_params.h"
#include "tuning/tuning_preview.h"
#include "win32/real_registry_win32.h"

namespace zephyr::testing {
namespace {

int g_expectedOs = 0;

using automation::Stored;

// A value as the core's real registry port in this process sees it: the driver's own view.
Stored ReadReal(HKEY hive, const std::string& path, const std::string& name) {
  return automation::ReadReal(hive, path, name, 0);
}

std::string Dword(std::uint32_t value) { return std::string(reinterpret_cast<char*>(&value), 4); }
std::string Sz(const std::string& text) { return text + '\0'; }

void CreateReal(const std::string& path) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

// Each test changes the machine's TCP/IP values: it runs only in the test Wine prefix, as the
// Windows version it was started as.
class ApplyUnderWine : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("ZEPHYR_DISPOSABLE_REGISTRY")) {
      GTEST_SKIP() << "changes the machine's TCP/IP settings; runs only in the test Wine prefix";
    }
    SystemWin32 system;
    os = DetectOS(system);
    ASSERT_EQ(os.code, g_expectedOs) << os.name;
    nt = IsNtFamily(os.code);
  }

  OsIdentity os;
  bool nt = false;
};

TEST_F(ApplyUnderWine, AutomaticEWritesTheFamilysLayoutAndLeavesAReadableBackup) {

  // Adapters to tune, beside whatever the prefix already lists.
  const std::string adapter = nt ? layout::InterfaceKey("{5A1E0000-0000-4000-8000-00000000E2E0}")
                                 : layout::TransportKey("0990");
  CreateReal(adapter);

  RegistryWin32 registry;
  ClockWin32 clock;
  FileSystemWin32 files;
  TempDir folder;
  const TuningParams automaticE = InitPresets()[4];
  // What the preview lists is what the apply writes: afterwards nothing is left to change.
  const TuningPreview preview = PreviewTuningSet(automaticE, registry, os.code);
  const ApplyResult result = ApplyTuningChanges(
      preview, {registry, clock, files, os.code, (folder.path() / "Backups").string(), {}});
  EXPECT_EQ(result.writes, static_cast<int>(preview.changes.size()));
  EXPECT_TRUE(PreviewTuningSet(automaticE, registry, os.code).changes.empty());
  ASSERT_EQ(result.outcome, ApplyResult::Outcome::kApplied) << result.backupError;
  EXPECT_EQ(result.failedWrites, 0);

  // The fixed values of the layout, as the registry API reports them.
  if (nt) {
    const std::string tcpip(layout::kTcpipParametersKey);
    const std::pair<const char*, std::uint32_t> expected[] = {
        {"SackOpts", 1},           {"Tcp1323Opts", 1},        {"TcpMaxDupAcks", 2},
        {"DefaultReceiveWindow", 8192}, {"DefaultTTL", 64},   {"GlobalMaxTcpWindowSize", 256960},
        {"TcpWindowSize", 256960}, {"EnablePMTUBHDetect", 0}, {"EnablePMTUDiscovery", 1},
        {"KeepAliveTime", 7200000}, {"KeepAliveInterval", 1000}, {"SYNAttackProtect", 2},
        {"EnableICMPRedirects", 0}, {"EnableICMPRedirect", 0}};
    for (const auto& [name, value] : expected) {
      const Stored stored = ReadReal(HKEY_LOCAL_MACHINE, tcpip, name);
      EXPECT_EQ(stored.type, static_cast<DWORD>(REG_DWORD)) << name;
      EXPECT_EQ(stored.data, Dword(value)) << name;
    }
    EXPECT_EQ(ReadReal(HKEY_LOCAL_MACHINE, adapter, "MTU").data, Dword(1500));
    EXPECT_EQ(ReadReal(HKEY_LOCAL_MACHINE, adapter, "MSS").data, Dword(1460));
    const std::string own = layout::AdapterTcpipKey("{5A1E0000-0000-4000-8000-00000000E2E0}");
    EXPECT_EQ(ReadReal(HKEY_LOCAL_MACHINE, own, "MTU").data, Dword(1500));
    EXPECT_EQ(ReadReal(HKEY_LOCAL_MACHINE, own, "MSS").data, Dword(1460));
    EXPECT_EQ(ReadReal(HKEY_CURRENT_USER, std::string(layout::kInternetSettingsNtKey),
                       "MaxConnectionsPerServer").data,
              Dword(20));
    EXPECT_EQ(ReadReal(HKEY_LOCAL_MACHINE, std::string(layout::kNdiCacheSizeKey), "").data,
              Dword(0));
  } else {
    const std::string mstcp(layout::kMstcpKey);
    const std::pair<const char*, const char*> expected[] = {
        {"SackOpts", "1"},        {"Tcp1323Opts", "1"},         {"DefaultTTL", "64"},
        {"DefaultRcvWindow", "256960"}, {"GlobalMaxTcpWindowSize", "256960"},
        {"PMTUBlackHoleDetect", "0"},   {"PMTUDiscovery", "1"},   {"KeepAliveTime", "7200000"},
        {"KeepAliveInterval", "1000"}};
    for (const auto& [name, text] : expected) {
      const Stored stored = ReadReal(HKEY_LOCAL_MACHINE, mstcp, name);
      EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ)) << name;
      EXPECT_EQ(stored.data, Sz(text)) << name;
    }
    EXPECT_EQ(ReadReal(HKEY_LOCAL_MACHINE, adapter, "MaxMTU").data, Sz("1500"));
    EXPECT_EQ(ReadReal(HKEY_LOCAL_MACHINE, adapter, "MaxMSS").data, Sz("1460"));
    EXPECT_EQ(ReadReal(HKEY_CURRENT_USER, std::string(layout::kInternetSettings9xKey),
                       "MaxConnectionsPer1_0Server").data,
              Sz("20"));
    EXPECT_EQ(ReadReal(HKEY_LOCAL_MACHINE, std::string(layout::kNdiCacheSizeKey), "").data,
              Sz("0"));
  }

  // Every write of the plan, for every adapter the system lists, holds its value now.
  const auto subkeys = EnumerateSubkeys(registry, kHKeyLocalMachine,
                                        nt ? layout::kInterfacesKey : layout::kNetTransKey);
  ASSERT_TRUE(subkeys);
  const auto plan = PlanTuningWrites(automaticE, os.code, *subkeys);
  for (const TuningWrite& write : plan) {
    const Stored stored = ReadReal(write.hive == kHKeyCurrentUser ? HKEY_CURRENT_USER
                                                                  : HKEY_LOCAL_MACHINE,
                                   write.keyPath, write.valueName);
    EXPECT_EQ(stored.type, write.type) << write.keyPath << "\\" << write.valueName;
    EXPECT_EQ(stored.data, StateAfter(write).data) << write.keyPath << "\\" << write.valueName;
  }

  // The backup: the only file, numbered 001, and readable.
  EXPECT_EQ(folder.List("Backups"), (std::vector<std::string>{"001.BCK", "001.PRE"}));
  const BackupReadResult read = ReadBackupFile(files, result.backupFile);
  ASSERT_TRUE(read.ok()) << read.error;
  EXPECT_EQ(read.backup->osCode, os.code);
  EXPECT_EQ(read.backup->groups.size(), 3 + subkeys->size() * (nt ? 2 : 1));
}

TEST_F(ApplyUnderWine, ARestoreGivesBackTheRegistryAsItWasAbsentValuesIncluded) {
  const std::string adapter = nt ? layout::AdapterTcpipKey("{5A1E0000-0000-4000-8000-00000000E2E1}")
                                 : layout::TransportKey("0991");
  CreateReal(nt ? layout::InterfaceKey("{5A1E0000-0000-4000-8000-00000000E2E1}") : adapter);
  if (nt) CreateReal(adapter);

  // Every value of the layout as it is now, with the time to live absent and a fixed entry
  // holding another value than the apply sets.
  const auto groups = backup_layout::FixedGroups(os.code);
  HKEY parameters = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, std::string(groups[0].keyPath).c_str(), 0,
                          KEY_SET_VALUE, &parameters),
            ERROR_SUCCESS);
  RegDeleteValueA(parameters, "DefaultTTL");
  const std::string zero = nt ? Dword(0) : Sz("0");
  RegSetValueExA(parameters, "SackOpts", 0, nt ? REG_DWORD : REG_SZ,
                 reinterpret_cast<const BYTE*>(zero.data()), static_cast<DWORD>(zero.size()));
  if (nt) {
    // Windows' own ICMP redirect value set and the program's older name absent: both come back
    // so, the absent one included.
    const std::string one = Dword(1);
    RegSetValueExA(parameters, "EnableICMPRedirect", 0, REG_DWORD,
                   reinterpret_cast<const BYTE*>(one.data()), 4);
    RegDeleteValueA(parameters, "EnableICMPRedirects");
  }
  RegCloseKey(parameters);
  struct Where {
    HKEY hive;
    std::string path;
    std::string name;
  };
  std::vector<Where> values;
  for (const auto& group : groups) {
    for (const auto& entry : group.entries) {
      values.push_back({group.hive == kHKeyCurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE,
                        std::string(group.keyPath), std::string(entry.valueName)});
    }
  }
  for (const auto& companion : backup_layout::Companions(os.code)) {
    values.push_back({HKEY_LOCAL_MACHINE, std::string(companion.keyPath),
                      std::string(companion.valueName)});
  }
  for (const auto& entry : backup_layout::PerAdapterEntries(os.code)) {
    values.push_back({HKEY_LOCAL_MACHINE, adapter, std::string(entry.valueName)});
  }
  const auto read = [&values] {
    std::vector<std::pair<DWORD, std::string>> stored;
    for (const Where& where : values) {
      const Stored value = ReadReal(where.hive, where.path, where.name);
      stored.emplace_back(value.type, value.data);
    }
    return stored;
  };
  const auto before = read();
  ASSERT_EQ(before[nt ? 4 : 2].first, static_cast<DWORD>(REG_NONE)) << "DefaultTTL is absent";

  RegistryWin32 registry;
  ClockWin32 clock;
  FileSystemWin32 files;
  TempDir folder;
  const ApplyResult applied = ApplyTuningSet(
      InitPresets()[4], {registry, clock, files, os.code, (folder.path() / "Backups").string(), {}});
  ASSERT_EQ(applied.outcome, ApplyResult::Outcome::kApplied) << applied.backupError;
  ASSERT_NE(read(), before);

  const RestoreResult restored = RestoreBackup(registry, files, os.code, applied.backupFile);
  ASSERT_TRUE(restored.ok()) << restored.reason;
  EXPECT_TRUE(restored.usedEarlierValues);
  EXPECT_EQ(restored.failedWrites, 0u);
  const auto after = read();
  for (std::size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(after[i], before[i]) << values[i].path << "\\" << values[i].name;
  }

  // The backup's registry file, imported by Wine's own regedit after another apply, leaves the
  // same values as the restore did, deletions included.
  const LoadedBackup loaded = LoadBackup(files, applied.backupFile);
  ASSERT_TRUE(loaded.ok()) << loaded.reason;
  const RegExport exported = ExportBackupAsRegFile(*loaded.backup, loaded.record());
  ASSERT_TRUE(exported.ok()) << exported.reason;
  const std::string regFile = RegFilePath(applied.backupFile);
  ASSERT_EQ(files.WriteWholeFile(regFile, exported.text, Publish::kReplace), kFileOk);
  ASSERT_TRUE(ApplyTuningSet(InitPresets()[4], {registry, clock, files, os.code,
                                                (folder.path() / "Backups").string(), {}})
                  .Changed());
  ASSERT_NE(read(), before);
  const std::string command = "regedit /s \"" + regFile + "\"";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  const auto imported = read();
  for (std::size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(imported[i], before[i]) << "imported: " << values[i].path << "\\" << values[i].name;
  }
}

}  // namespace
}  // namespace zephyr::testing

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--expect-os=", 12) == 0) {
      zephyr::testing::g_expectedOs = std::atoi(argv[i] + 12);
    }
  }
  return RUN_ALL_TESTS();
}
