// The preview of an apply, the registry file of a backup and the comparison of backups: each is
// checked against what the apply and the restore really do to the registry.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "backup/backup_file.h"
#include "backup/backup_layout.h"
#include "backup/backup_manager_form.h"
#include "backup/change_list_form.h"
#include "backup/reg_export.h"
#include "backup/restore.h"
#include "backup/value_changes.h"
#include "fakes/fake_form_host.h"
#include "fakes/fake_program.h"
#include "tuning/presets.h"
#include "tuning/registry_layout.h"
#include "tuning/tuning_preview.h"

namespace zephyr::testing {
namespace {

using Lines = std::vector<std::string>;

// Some values as the preset would set them, some different, some of the wrong type, most absent.
void SeedSomeValues(FakeRegistry& registry, OsCode os) {
  if (IsNtFamily(os)) {
    registry.PutDword(kHKeyLocalMachine, layout::kTcpipParametersKey, "SackOpts", 1);
    registry.PutDword(kHKeyLocalMachine, layout::kTcpipParametersKey, "DefaultTTL", 200);
    registry.PutString(kHKeyLocalMachine, layout::kTcpipParametersKey, "TcpMaxDupAcks", "2");
    registry.PutDword(kHKeyLocalMachine, layout::kTcpipParametersKey, "EnableICMPRedirect", 1);
    registry.PutDword(kHKeyLocalMachine, layout::kTcpipParametersKey, "TcpWindowSize", 65535);
    registry.PutDword(kHKeyLocalMachine, layout::InterfaceKey("{A}"), "MTU", 1500);
    registry.CreatePath(kHKeyLocalMachine, layout::InterfaceKey("{B}"));
  } else {
    registry.PutString(kHKeyLocalMachine, layout::kMstcpKey, "SackOpts", "1");
    registry.PutString(kHKeyLocalMachine, layout::kMstcpKey, "DefaultTTL", "32");
    registry.PutDword(kHKeyLocalMachine, layout::kMstcpKey, "Tcp1323Opts", 1);
    registry.PutString(kHKeyLocalMachine, layout::kMstcpKey, "DefaultRcvWindow", "8192");
    registry.PutString(kHKeyLocalMachine, layout::TransportKey("0000"), "MaxMTU", "1500");
    registry.CreatePath(kHKeyLocalMachine, layout::TransportKey("0001"));
  }
}

struct Value {
  std::string key;
  EarlierValue state;
};

// The state of every value the layout writes, keyed by hive, key and name.
std::vector<Value> Read(FakeRegistry& registry, const std::vector<TuningWrite>& writes) {
  std::vector<Value> values;
  for (const TuningWrite& write : writes) {
    values.push_back({ShowKey(write.hive, write.keyPath) + "\\" + write.valueName,
                      ReadRegistryValue(registry, write.hive, write.keyPath, write.valueName)});
  }
  return values;
}

TEST(TuningPreview, ListsExactlyTheValuesTheApplyThenChanges) {
  const Presets presets = InitPresets();
  for (const OsCode os : {kOsWindows98, kOsWindowsXp}) {
    for (const std::size_t preset : {0u, 2u, 4u, 7u}) {
      SCOPED_TRACE(::testing::Message() << "OS code " << os << ", preset " << preset);
      FakeRegistry registry;
      FakeClock clock;
      NativeFileSystem files;
      TempDir folder;
      SeedSomeValues(registry, os);
      const TuningPreview preview = PreviewTuningSet(presets[preset], registry, os);
      const auto writes =
          PlanTuningWrites(presets[preset], os, backup_layout::ListAdapters(registry, os).names);
      EXPECT_EQ(preview.changes.size() + static_cast<std::size_t>(preview.unchanged),
                writes.size());
      const std::vector<Value> before = Read(registry, writes);
      const ApplyResult result = ApplyTuningChanges(
          preview, {registry, clock, files, os, (folder.path() / "Backups").string(), {}});
      ASSERT_TRUE(result.Changed());
      EXPECT_EQ(result.writes, static_cast<int>(preview.changes.size()));
      const std::vector<Value> after = Read(registry, writes);

      // Every value the apply changed is listed, with what it was and what it became; nothing
      // else is listed.
      Lines changed;
      for (std::size_t i = 0; i < writes.size(); ++i) {
        if (!SameValue(before[i].state, after[i].state)) changed.push_back(before[i].key);
      }
      Lines listed;
      for (const TuningChange& change : preview.changes) {
        const std::string key = ShowKey(change.write.hive, change.write.keyPath) + "\\" +
                                change.write.valueName;
        listed.push_back(key);
        const auto found = std::find_if(after.begin(), after.end(),
                                        [&](const Value& v) { return v.key == key; });
        ASSERT_NE(found, after.end());
        EXPECT_TRUE(SameValue(found->state, change.change.after)) << key;
      }
      EXPECT_EQ(listed, changed);
      // The same set again changes nothing more.
      EXPECT_TRUE(PreviewTuningSet(presets[preset], registry, os).changes.empty());
    }
  }
}

class PreviewDialog : public ::testing::Test, protected FakeProgram {
 protected:
  void Start(std::uint32_t major = 5, std::uint32_t minor = 1) {
    Make(kVerPlatformWin32Nt, major, minor);
    ASSERT_TRUE(program->Start());
    registry.CreatePath(kHKeyLocalMachine, layout::InterfaceKey("{A}"));
    program->OnCommand("IDC_FS_wizardMode");
    wizard = std::make_unique<FakeFormHost>(program->Panel(PanelId::kWizardMode), timers);
  }
  ChangeListForm* Preview() { return dynamic_cast<ChangeListForm*>(program->Dialog()); }

  std::unique_ptr<FakeFormHost> wizard;
};

TEST_F(PreviewDialog, CancelWritesNothingAndTakesNoBackup) {
  Start();
  const std::string before = registry.Dump();
  ASSERT_TRUE(wizard->Click("cmdOptimize"));
  ASSERT_NE(Preview(), nullptr);
  EXPECT_EQ(mainHost.calls.back(), "show frmPreview");
  // Every row says what the value is now and what it becomes.
  const auto rows = Preview()->Rows();
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows.front(), (Lines{"HKEY_LOCAL_MACHINE\\" + std::string(layout::kTcpipParametersKey),
                                 "SackOpts", "(not set)", "1"}));
  EXPECT_NE(std::find(rows.begin(), rows.end(),
                      Lines{"HKEY_LOCAL_MACHINE\\" + std::string(layout::kTcpipParametersKey),
                            "EnableICMPRedirect", "(not set)", "0"}),
            rows.end());
  EXPECT_TRUE(Preview()->cmdApply.Enabled());
  EXPECT_FALSE(Preview()->lblNote.Visible()) << "XP reads every value";

  ASSERT_TRUE(AnswerPreview(*program, false));
  EXPECT_EQ(Preview(), nullptr);
  EXPECT_EQ(mainHost.calls.back(), "close frmPreview");
  EXPECT_EQ(registry.Dump(), before);
  EXPECT_TRUE(folder.List("Backups").empty());
  EXPECT_FALSE(program->mainWindow().MovieInFront()) << "the user stays on the wizard";
}

TEST_F(PreviewDialog, TheListSortsByAnyColumnAndVistaIsToldWhatItIgnores) {
  Start(6, 0);
  ASSERT_TRUE(wizard->Click("cmdOptimize"));
  ChangeListForm& preview = *Preview();
  FakeFormHost host(preview, timers);
  ASSERT_TRUE(host.ClickColumn("lstChanges", 2));
  Lines names;
  for (const auto& row : preview.Rows()) names.push_back(row[1]);
  EXPECT_TRUE(std::is_sorted(names.begin(), names.end(), [](const auto& a, const auto& b) {
    const auto fold = [](std::string text) {
      for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      return text;
    };
    return fold(a) < fold(b);
  }));
  ASSERT_TRUE(host.ClickColumn("lstChanges", 1));
  ASSERT_TRUE(host.ClickColumn("lstChanges", 1));
  EXPECT_GT(preview.Rows().front()[0], preview.Rows().back()[0]) << "descending on the second click";
  // The whole key of the row the user picks, beneath the list's narrow column.
  ASSERT_TRUE(preview.lstChanges.UserClickItem(preview.lstChanges.ItemCount() - 1));
  EXPECT_EQ(preview.txtKey.Text(), preview.Rows().back()[0]);
  EXPECT_TRUE(preview.lblNote.Visible());
  EXPECT_EQ(preview.lblNote.Caption(),
            "This Windows no longer reads TcpWindowSize, GlobalMaxTcpWindowSize and "
            "SYNAttackProtect: they are written all the same, to no effect here.");
}

class BackupExport : public ::testing::Test {
 protected:
  // Applies Automatic-E over the seeded registry and loads the backup it took.
  LoadedBackup ApplyAndLoad(OsCode os) {
    SeedSomeValues(registry, os);
    const ApplyResult result = ApplyTuningSet(
        InitPresets()[4], {registry, clock, files, os, (folder.path() / "Backups").string(), {}});
    EXPECT_TRUE(result.Changed());
    return LoadBackup(files, result.backupFile);
  }

  FakeRegistry registry;
  FakeClock clock;
  NativeFileSystem files;
  TempDir folder;
};

TEST_F(BackupExport, TheRegistryFileHoldsWhatARestoreWritesAbsentValuesAsDeletions) {
  const LoadedBackup loaded = ApplyAndLoad(kOsWindowsXp);
  ASSERT_TRUE(loaded.ok()) << loaded.reason;
  const RegExport exported = ExportBackupAsRegFile(*loaded.backup, loaded.record());
  ASSERT_TRUE(exported.ok()) << exported.reason;
  const std::string& text = exported.text;
  const std::string tcpip = "\r\n[HKEY_LOCAL_MACHINE\\" + std::string(layout::kTcpipParametersKey) +
                            "]\r\n\"SackOpts\"=dword:00000001\r\n\"Tcp1323Opts\"=-\r\n";
  EXPECT_EQ(text.rfind("REGEDIT4\r\n", 0), 0u);
  EXPECT_NE(text.find(tcpip), std::string::npos) << text;
  for (const char* line : {"\"DefaultTTL\"=dword:000000c8\r\n", "\"TcpMaxDupAcks\"=\"2\"\r\n",
                           "\"EnableICMPRedirects\"=-\r\n", "\"EnableICMPRedirect\"=dword:00000001\r\n",
                           "\"TcpWindowSize\"=dword:0000ffff\r\n", "@=-\r\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line;
  }
  // Imported, the file leaves the registry as the restore does: the same values, one by one.
  const RestoredValues planned = PlanRestoredValues(*loaded.backup, kOsWindowsXp, loaded.record());
  EXPECT_EQ(FormatRegFile(planned.values), text);
  ASSERT_TRUE(RestoreBackup(registry, kOsWindowsXp, *loaded.backup, loaded.record()).ok());
  EXPECT_TRUE(CompareWithRegistry(planned.values, registry).empty());
}

TEST_F(BackupExport, ACraftedBackupCannotNameAKeyOutsideTheLayout) {
  const LoadedBackup loaded = ApplyAndLoad(kOsWindowsXp);
  ASSERT_TRUE(loaded.ok());
  const std::string interfaces = std::string(layout::kInterfacesKey) + "\\";
  for (const std::string& key :
       {std::string("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"), interfaces + "..",
        interfaces + "{A}\\..\\..\\..\\Run", std::string(layout::kTcpipParametersKey)}) {
    SCOPED_TRACE(key);
    BackupFile crafted = *loaded.backup;
    crafted.groups.push_back({key, {{"MTU", 1}, {"MSS", 2}}});
    crafted.groups.push_back({layout::AdapterTcpipKey("{A}"), {{"MTU", 1}, {"MSS", 2}}});
    const RegExport exported = ExportBackupAsRegFile(crafted);
    EXPECT_FALSE(exported.ok());
    EXPECT_TRUE(exported.text.empty());
  }
  BackupFile otherHive = *loaded.backup;
  otherHive.groups[1].keyPath = "Software\\Classes\\exefile\\shell\\open\\command";
  EXPECT_FALSE(ExportBackupAsRegFile(otherHive).ok());
}

class BackupCompare : public ::testing::Test, protected FakeProgram {};

TEST_F(BackupCompare, ABackupWithTheRegistryNowOrWithAnotherBackup) {
  Make();
  ASSERT_TRUE(program->Start());
  registry.PutDword(kHKeyLocalMachine, layout::kTcpipParametersKey, "DefaultTTL", 200);
  program->currentTuning() = program->presets()[4];
  program->ApplyCurrentTuningSet();  // 001 keeps TTL 200; Automatic-E sets 64
  program->currentTuning() = program->presets()[0];
  program->ApplyCurrentTuningSet();  // 002 keeps 64; Automatic-A sets 128
  program->OnCommand("IDC_FS_backupManger");
  auto& manager = dynamic_cast<BackupManagerForm&>(program->Panel(PanelId::kBackUp));
  FakeFormHost host(manager, timers);
  std::size_t first = 0;
  while (first < manager.lstBackUpList.ItemCount() &&
         manager.lstBackUpList.Item(first).Text() != "001.BCK") {
    ++first;
  }
  ASSERT_TRUE(host.ClickItem("lstBackUpList", first));
  EXPECT_EQ(manager.cmbCompareWith.Text(), "Registry now");
  ASSERT_TRUE(host.Click("cmdCompare"));
  auto* compare = dynamic_cast<ChangeListForm*>(program->Dialog());
  ASSERT_NE(compare, nullptr);
  EXPECT_EQ(compare->Name(), "frmCompare");
  EXPECT_FALSE(compare->cmdApply.Visible());
  EXPECT_EQ(compare->lstChanges.Column(3).Text(), "Now");
  const auto rows = compare->Rows();
  EXPECT_NE(std::find(rows.begin(), rows.end(),
                      Lines{"HKEY_LOCAL_MACHINE\\" + std::string(layout::kTcpipParametersKey),
                            "DefaultTTL", "128", "200"}),
            rows.end());
  ASSERT_TRUE(AnswerPreview(*program, false));

  ASSERT_TRUE(host.SelectText("cmbCompareWith", "002.BCK"));
  ASSERT_TRUE(host.Click("cmdCompare"));
  const auto between = dynamic_cast<ChangeListForm*>(program->Dialog())->Rows();
  EXPECT_NE(std::find(between.begin(), between.end(),
                      Lines{"HKEY_LOCAL_MACHINE\\" + std::string(layout::kTcpipParametersKey),
                            "DefaultTTL", "200", "64"}),
            between.end());
  ASSERT_TRUE(AnswerPreview(*program, false));

  // Export writes the registry file beside the backup and says where.
  ASSERT_TRUE(host.Click("cmdExport"));
  EXPECT_EQ(folder.List("Backups"),
            (Lines{"001.BCK", "001.PRE", "001.REG", "002.BCK", "002.PRE", "BackupList.idx"}));
  EXPECT_NE(dialogs.shown.back().text.find("001.REG"), std::string::npos);
}

}  // namespace
}  // namespace zephyr::testing
