// The restore: what it writes for each family, and that every file it refuses changes nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "backup/backup_file.h"
#include "backup/backup_layout.h"
#include "backup/earlier_values.h"
#include "backup/restore.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_registry.h"
#include "fakes/native_file_system.h"
#include "fakes/temp_dir.h"
#include "tuning/presets.h"
#include "tuning/registry_layout.h"
#include "tuning/tuning_params.h"

namespace zephyr::testing {
namespace {

const std::vector<std::string> kInterfaces = {"{A}", "{B}"};
const std::vector<std::string> kTransports = {"0000", "0001"};

std::size_t CountLines(const std::vector<std::string>& journal, std::string_view part) {
  return static_cast<std::size_t>(std::count_if(
      journal.begin(), journal.end(),
      [part](const std::string& line) { return line.find(part) != std::string::npos; }));
}

std::string Replace(std::string text, std::string_view from, std::string_view to) {
  const auto at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

class Restore : public ::testing::Test {
 protected:
  // Every value of the family's layout present, each with its own number, as an apply leaves it.
  void SeedEveryValue(OsCode os) {
    const bool nt = IsNtFamily(os);
    std::uint32_t next = 100;
    const auto put = [&](RegKey hive, std::string_view path, std::string_view name,
                         std::uint32_t value) {
      if (nt) {
        registry.PutDword(hive, path, name, value);
      } else {
        registry.PutString(hive, path, name, std::to_string(value));
      }
    };
    for (const auto& group : backup_layout::FixedGroups(os)) {
      for (const auto& entry : group.entries) {
        using K = backup_layout::EntryKind;
        put(group.hive, group.keyPath, entry.valueName,
            entry.kind == K::kFixed ? entry.fixed : entry.kind == K::kFlag ? 1 : next++);
      }
    }
    for (const std::string& name : nt ? kInterfaces : kTransports) {
      const std::vector<std::string> keys =
          nt ? std::vector<std::string>{layout::InterfaceKey(name), layout::AdapterTcpipKey(name)}
             : std::vector<std::string>{layout::TransportKey(name)};
      for (const std::string& key : keys) {
        for (const auto& entry : backup_layout::PerAdapterEntries(os)) {
          put(kHKeyLocalMachine, key, entry.valueName, next++);
        }
      }
    }
    // The largest value keeps its bit pattern.
    if (nt) put(kHKeyLocalMachine, layout::kTcpipParametersKey, "KeepAliveTime", 4294967295u);
  }

  // The file a backup of the seeded registry gives.
  std::string BackupText(OsCode os) {
    const Snapshot snapshot = TakeSnapshot(registry, os, clock.Now());
    EXPECT_TRUE(snapshot.ok()) << snapshot.error;
    return SerializeBackup(snapshot.backup);
  }

  // SaveBackup, then an apply's kind of changes (also of value types), then the restore: the
  // registry is as before, byte for byte, so the 9x family's values are REG_SZ text again.
  void RoundTrip(OsCode os) {
    SeedEveryValue(os);
    const std::string original = registry.Dump();
    const SaveBackupResult saved = SaveBackup(registry, clock, files, os, (dir.path() / "Backups").string());
    ASSERT_TRUE(saved.ok()) << saved.error;

    const bool nt = IsNtFamily(os);
    const auto groups = backup_layout::FixedGroups(os);
    registry.PutDword(groups[0].hive, groups[0].keyPath, "DefaultTTL", 1);
    registry.PutString(groups[1].hive, groups[1].keyPath, "MaxConnectionsPerServer", "99");
    const std::string adapter =
        nt ? layout::AdapterTcpipKey(kInterfaces[1]) : layout::TransportKey(kTransports[1]);
    registry.PutDword(kHKeyLocalMachine, adapter, nt ? "MTU" : "MaxMTU", 576);
    ASSERT_NE(registry.Dump(), original);

    const RestoreResult result = RestoreBackup(registry, files, os, saved.file);
    ASSERT_TRUE(result.ok()) << result.reason;
    EXPECT_EQ(registry.Dump(), original);
  }

  RestoreResult RestoreText(OsCode os, std::string_view text) {
    return RestoreBackup(registry, files, os, dir.Write("Backups/001.BCK", text).string());
  }

  FakeRegistry registry;
  FakeClock clock;
  NativeFileSystem files;
  TempDir dir;
};

// A registry as a user's may be before the first apply: every key there, most values absent,
// the fixed entries holding other values than the apply sets, and one value of an odd type.
void SeedSparseRegistry(FakeRegistry& registry, OsCode os) {
  const bool nt = IsNtFamily(os);
  const auto groups = backup_layout::FixedGroups(os);
  for (const auto& group : groups) registry.CreatePath(group.hive, group.keyPath);
  const std::string_view a = groups[0].keyPath;
  if (nt) {
    registry.PutDword(kHKeyLocalMachine, a, "SackOpts", 0);
    registry.PutDword(kHKeyLocalMachine, a, "Tcp1323Opts", 3);
    registry.PutDword(kHKeyLocalMachine, a, "DefaultReceiveWindow", 4096);
    registry.PutString(kHKeyLocalMachine, a, "EnablePMTUDiscovery", "1");
    // Windows' own ICMP redirect value set, the program's older name absent: both come back so.
    registry.PutDword(kHKeyLocalMachine, a, "EnableICMPRedirect", 1);
  } else {
    registry.PutString(kHKeyLocalMachine, a, "SackOpts", "0");
    registry.PutDword(kHKeyLocalMachine, a, "PMTUDiscovery", 2);
    // Windows 98 has this key; the apply writes its own window limit there.
    registry.CreatePath(kHKeyLocalMachine, layout::kMstcpParametersKey);
  }
  for (const std::string& name : nt ? kInterfaces : kTransports) {
    if (nt) {
      registry.CreatePath(kHKeyLocalMachine, layout::InterfaceKey(name));
      registry.CreatePath(kHKeyLocalMachine, layout::AdapterTcpipKey(name));
    } else {
      registry.CreatePath(kHKeyLocalMachine, layout::TransportKey(name));
    }
  }
}

TEST_F(Restore, AnApplyIsUndoneExactlyAbsentValuesAndFixedEntriesIncluded) {
  for (const OsCode os : {kOsWindows98, kOsWindowsXp}) {
    SCOPED_TRACE(::testing::Message() << "OS code " << os);
    registry = FakeRegistry();
    SeedSparseRegistry(registry, os);
    const std::string original = registry.Dump();
    const std::string folder = (dir.path() / ("Backups" + std::to_string(os))).string();
    const ApplyResult applied = ApplyTuningSet(InitPresets()[4], {registry, clock, files, os, folder, {}});
    ASSERT_TRUE(applied.Changed()) << applied.backupError;
    ASSERT_NE(registry.Dump(), original);

    const RestoreResult result = RestoreBackup(registry, files, os, applied.backupFile);
    ASSERT_TRUE(result.ok()) << result.reason;
    EXPECT_TRUE(result.usedEarlierValues);
    EXPECT_EQ(result.failedWrites, 0u);
    EXPECT_EQ(registry.Dump(), original);
  }
}

TEST_F(Restore, WithoutItsOwnRecordAZeroTheValueCannotHoldMeansAbsent) {
  SeedSparseRegistry(registry, kOsWindowsXp);
  registry.PutDword(kHKeyLocalMachine, layout::kTcpipParametersKey, "EnablePMTUDiscovery", 0);
  const std::string folder = (dir.path() / "Backups").string();
  const ApplyResult applied =
      ApplyTuningSet(InitPresets()[4], {registry, clock, files, kOsWindowsXp, folder, {}});
  ASSERT_TRUE(applied.Changed()) << applied.backupError;
  const std::string record = EarlierValuesPath(applied.backupFile);
  // Gone, damaged, or belonging to another file: the record is not used.
  for (const std::string& replacement : {std::string(), std::string("damaged"),
                                         SerializeEarlierValues({}, "another file")}) {
    std::filesystem::remove(record);
    if (!replacement.empty()) dir.Write(std::filesystem::path(record).lexically_relative(dir.path()), replacement);
    const RestoreResult result = RestoreBackup(registry, files, kOsWindowsXp, applied.backupFile);
    ASSERT_TRUE(result.ok()) << result.reason;
    EXPECT_FALSE(result.usedEarlierValues);
    const std::string_view key = layout::kTcpipParametersKey;
    EXPECT_FALSE(registry.Get(kHKeyLocalMachine, key, "DefaultTTL")) << "0 is no time to live";
    EXPECT_FALSE(registry.Get(kHKeyLocalMachine, layout::AdapterTcpipKey("{A}"), "MTU"));
    EXPECT_EQ(registry.Get(kHKeyLocalMachine, key, "EnablePMTUDiscovery"),
              (StoredValue{kRegDword, {0, 0, 0, 0}}))
        << "0 is a setting of a switch";
    EXPECT_EQ(registry.Get(kHKeyLocalMachine, key, "SackOpts"),
              (StoredValue{kRegDword, {1, 0, 0, 0}}))
        << "the file's own number, without the record";
  }
}

TEST(EarlierValues, ARecordIsReadBackOnlyWholeAndForItsOwnFile) {
  const std::vector<EarlierValue> values = {
      {EarlierValue::State::kAbsent, 0, {}},
      {EarlierValue::State::kPresent, kRegDword, std::string("\x40\0\0\0", 4)},
      {EarlierValue::State::kPresent, kRegSz, std::string("1460\0", 5)},
      {EarlierValue::State::kPresent, kRegBinary, {}},
      {},
  };
  const std::string text = SerializeEarlierValues(values, "backup");
  EXPECT_EQ(ParseEarlierValues(text, "backup"), values);
  for (const std::string& damaged :
       {text.substr(0, text.size() - 1), Replace(text, "values 1", "values 2"),
        Replace(text, "\r\n-\r\n", "\r\nabsent\r\n"), Replace(text, "4 40", "4 4"),
        Replace(text, "4 40", "4 4g"), Replace(text, "4 40", "x 40"), Replace(text, "4 40", "04 40"), Replace(text, "\r\n?", "\n?"),
        std::string()}) {
    EXPECT_FALSE(ParseEarlierValues(damaged, "backup")) << damaged;
  }
  EXPECT_FALSE(ParseEarlierValues(text, "backup ")) << "the fingerprint of another file";
  EXPECT_EQ(EarlierValuesPath("C:\\Zephyr.Net\\Backups\\007.BCK"), "C:\\Zephyr.Net\\Backups\\007.PRE");
}

TEST_F(Restore, AnNtBackupWithTwoInterfacesRestores24ValuesAllAsDword) {
  SeedEveryValue(kOsWindowsXp);
  const std::string text = BackupText(kOsWindowsXp);
  FakeRegistry fresh;  // nothing but the adapters
  for (const std::string& id : kInterfaces) {
    fresh.CreatePath(kHKeyLocalMachine, layout::InterfaceKey(id));
    fresh.CreatePath(kHKeyLocalMachine, layout::AdapterTcpipKey(id));
  }
  const RestoreResult result =
      RestoreBackup(fresh, files, kOsWindowsXp, dir.Write("Backups/001.BCK", text).string());
  ASSERT_TRUE(result.ok()) << result.reason;
  // And EnableICMPRedirect, which goes back as EnableICMPRedirects does.
  EXPECT_EQ(result.valuesWritten, 13u + 2u + 1u + 2u * 2u * 2u + 1u);
  EXPECT_EQ(result.failedWrites, 0u);
  EXPECT_EQ(fresh.Journal().size(), 25u);
  EXPECT_EQ(CountLines(fresh.Journal(), " dword "), 25u);
  // The fixed entries too, and group B under the current user.
  EXPECT_EQ(fresh.Get(kHKeyLocalMachine, layout::kTcpipParametersKey, "DefaultReceiveWindow"),
            (StoredValue{kRegDword, {0x00, 0x20, 0x00, 0x00}}));
  EXPECT_EQ(fresh.Get(kHKeyLocalMachine, layout::kTcpipParametersKey, "KeepAliveTime"),
            (StoredValue{kRegDword, {0xFF, 0xFF, 0xFF, 0xFF}}));
  EXPECT_TRUE(fresh.Get(kHKeyCurrentUser, layout::kInternetSettingsNtKey,
                        "MaxConnectionsPerServer"));
  EXPECT_FALSE(fresh.HasKey(kHKeyLocalMachine, layout::kInternetSettingsNtKey));
  EXPECT_TRUE(fresh.Get(kHKeyLocalMachine, layout::AdapterTcpipKey("{B}"), "MSS"));
}

TEST_F(Restore, AFileOfAnotherSystemChangesNothing) {
  SeedEveryValue(kOsWindowsXp);
  const std::string nt = BackupText(kOsWindowsXp);
  const std::string windows2000 = Replace(nt, "\r\n7\r\n", "\r\n6\r\n");
  const std::string before = registry.Dump();
  // Another family, and another version of the same family: the codes must be equal.
  for (const auto& [os, text] :
       {std::pair{kOsWindows98, nt}, std::pair{kOsWindowsXp, windows2000}}) {
    const RestoreResult result = RestoreText(os, text);
    EXPECT_EQ(result.outcome, RestoreResult::Outcome::kOtherSystem);
    EXPECT_EQ(result.reason, "This backup file was taken from another operating system!!");
  }
  EXPECT_EQ(registry.Dump(), before);
  EXPECT_TRUE(registry.Journal().empty());
}

TEST_F(Restore, RefusedFilesLeaveTheRegistryByteForByteUnchanged) {
  SeedEveryValue(kOsWindowsXp);
  const std::string good = BackupText(kOsWindowsXp);
  const std::string interfaceA = std::string(layout::kInterfacesKey) + "\\{A}";
  const std::string adapterA = layout::AdapterTcpipKey("{A}");
  const std::string runKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  const std::string adapterGroup = "\"MTU\"\r\n1500\r\n\"MSS\"\r\n1460\r\n";
  std::string randomBytes(512, '\0');
  std::mt19937 random(7);
  for (char& c : randomBytes) c = static_cast<char>(random() & 0xFF);
  const std::string cut = good.substr(0, good.rfind("\"MSS\""));

  const std::vector<std::pair<std::string, std::string>> cases = {
      {"a Run-key group in place of group B",
       Replace(good, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", runKey)},
      {"a Run-key group after the adapters", good + "\"" + runKey + "\"\r\n" + adapterGroup},
      {"a ..\\ subkey",
       Replace(Replace(good, interfaceA, std::string(layout::kInterfacesKey) + "\\..\\Run"),
               adapterA, layout::AdapterTcpipKey("..\\Run"))},
      {"a .. subkey", Replace(Replace(good, interfaceA, std::string(layout::kInterfacesKey) +
                                                            "\\.."),
                              adapterA, layout::AdapterTcpipKey(".."))},
      {"an empty subkey",
       Replace(Replace(good, interfaceA, std::string(layout::kInterfacesKey) + "\\"), adapterA,
               layout::AdapterTcpipKey(""))},
      {"a NUL in a subkey",
       Replace(Replace(good, interfaceA, std::string(layout::kInterfacesKey) + "\\" + '\0'),
               adapterA, layout::AdapterTcpipKey(std::string(1, '\0')))},
      {"the adapter groups of two different adapters", Replace(good, adapterA,
                                                               layout::AdapterTcpipKey("{Z}"))},
      {"an interface without its second group",
       good + "\"" + std::string(layout::kInterfacesKey) + "\\{C}\"\r\n" + adapterGroup},
      {"an extra entry", good + "\"Extra\"\r\n1\r\n"},
      {"another value name", Replace(good, "\"SackOpts\"", "\"EnableDHCP\"")},
      {"another value name in an adapter group",
       Replace(good, interfaceA + "\"\r\n\"MTU\"", interfaceA + "\"\r\n\"DefaultGateway\"")},
      {"a value of 4294967296", Replace(good, "4294967295", "4294967296")},
      {"a truncated group", cut},
      {"an empty file", ""},
      {"random bytes", randomBytes},
  };
  const std::string before = registry.Dump();
  for (const auto& [what, text] : cases) {
    const RestoreResult result = RestoreText(kOsWindowsXp, text);
    EXPECT_EQ(result.outcome, RestoreResult::Outcome::kRefused) << what;
    EXPECT_FALSE(result.reason.empty()) << what;
    EXPECT_EQ(registry.Dump(), before) << what;
    EXPECT_TRUE(registry.Journal().empty()) << what << ": " << registry.Journal().front();
  }
  // A missing file is refused the same way.
  EXPECT_EQ(RestoreBackup(registry, files, kOsWindowsXp, (dir.path() / "missing.BCK").string()).outcome,
            RestoreResult::Outcome::kRefused);
}

TEST_F(Restore, AdapterGroupsGoOnlyIntoKeysOfAdaptersThatExistNowAndAtMostTheCap) {
  SeedEveryValue(kOsWindowsXp);
  registry.CreatePath(kHKeyLocalMachine, layout::AdapterTcpipKey("Dhcp"));
  const auto adapter = [](const std::string& name) {
    const std::string entries = "\"MTU\"\r\n576\r\n\"MSS\"\r\n536\r\n";
    return "\"" + layout::InterfaceKey(name) + "\"\r\n" + entries + "\"" +
           layout::AdapterTcpipKey(name) + "\"\r\n" + entries;
  };
  // After the file's own two adapters: one gone since, one naming another service, then copies
  // of a real one past the cap.
  std::string text = BackupText(kOsWindowsXp) + adapter("{Gone}") + adapter("Dhcp");
  const std::size_t copies = kMostAdapterGroups / 2;
  for (std::size_t i = 0; i < copies; ++i) text += adapter("{A}");
  const std::size_t overCap = 4 + 4 + 2 * copies - kMostAdapterGroups;

  const RestoreResult result = RestoreText(kOsWindowsXp, text);
  ASSERT_TRUE(result.ok()) << result.reason;
  EXPECT_EQ(result.skippedGroups, 2 + 2 + overCap);
  EXPECT_EQ(result.failedWrites, 0u);
  EXPECT_EQ(result.valuesWritten, 13 + 2 + 1 + 1 + 8 + 4 * (copies - overCap / 2));
  EXPECT_FALSE(registry.HasKey(kHKeyLocalMachine, layout::InterfaceKey("{Gone}")));
  EXPECT_FALSE(registry.HasKey(kHKeyLocalMachine, layout::AdapterTcpipKey("{Gone}")));
  EXPECT_FALSE(registry.Get(kHKeyLocalMachine, layout::AdapterTcpipKey("Dhcp"), "MTU"));
  EXPECT_EQ(CountLines(registry.Journal(), "{Gone}") + CountLines(registry.Journal(), "Dhcp"),
            0u);
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(Restore, TheKeyPathsOfTheFileCountWithoutRegardToCase) {
  SeedEveryValue(kOsWindows98);
  std::string text = BackupText(kOsWindows98);
  text = Replace(text, "System\\CurrentControlSet\\Services\\VxD\\MSTCP",
                 "SYSTEM\\currentcontrolset\\SERVICES\\vxd\\mstcp");
  text = Replace(text, "Class\\NetTrans\\0000", "CLASS\\nettrans\\0000");
  const RestoreResult result = RestoreText(kOsWindows98, text);
  ASSERT_TRUE(result.ok()) << result.reason;
  EXPECT_EQ(result.valuesWritten, 17u + 1u);  // with Windows 98's own window limit
}

TEST_F(Restore, AnNtBackupTakenThenChangedRestoresEveryValue) { RoundTrip(kOsWindowsXp); }

TEST_F(Restore, A9xBackupTakenThenChangedRestoresEveryValue) { RoundTrip(kOsWindows98); }

}  // namespace
}  // namespace zephyr::testing
