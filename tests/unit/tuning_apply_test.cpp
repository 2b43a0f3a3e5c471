// Applying a tuning set: what lands in the registry, in which order, and what happens when the
// backup or the writes fail.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "backup/backup_file.h"
#include "backup/restore.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_registry.h"
#include "fakes/native_file_system.h"
#include "fakes/temp_dir.h"
#include "tuning/apply_messages.h"
#include "tuning/presets.h"
#include "tuning/tuning_params.h"

namespace zephyr::testing {
namespace {

using Lines = std::vector<std::string>;

const std::string kNt = "HKLM\\System\\CurrentControlSet\\Services\\Tcpip\\Parameters";
const std::string kNtServices = "HKLM\\System\\CurrentControlSet\\Services\\";
const std::string kNtBrowser = "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const std::string kMstcp = "HKLM\\System\\CurrentControlSet\\Services\\VxD\\MSTCP";
const std::string k9xBrowser = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const std::string kNdi = "HKLM\\System\\CurrentControlSet\\Services\\VxD\\NWLink\\Ndi\\params\\cachesize";
const std::string kNetTrans = "HKLM\\System\\CurrentControlSet\\Services\\Class\\NetTrans\\";
const std::string kNtServicesKey = "SYSTEM\\CurrentControlSet\\Services\\";

// Every field different, so a value written to the wrong name shows.
TuningParams DistinctValues() {
  TuningParams p;
  p.MTU = 1500;
  p.MSS = 1460;
  p.RWIN = 256960;
  p.TTL = 64;
  p.KeepAliveTime = 7200000;
  p.KeepAliveInterval = 1001;
  p.SYNAttackProtect = 2;
  p.NDICacheSize = 17;
  p.PMTUDiscovery = true;
  p.PMTUBlackHoleDetect = false;
  p.MaxConnectionsPer1_0Server = 21;
  p.MaxConnectionsPerServer = 22;
  p.ICMPRedirects = true;
  return p;
}

class TuningApply : public ::testing::Test {
 protected:
  // Adapter subkeys as the system would list them (spelt as the apply spells the key).
  void AddInterfaces(const Lines& ids) {
    for (const auto& id : ids) {
      registry.CreatePath(kHKeyLocalMachine,
                          "System\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\" + id);
    }
  }
  void AddTransports(const Lines& names) {
    for (const auto& name : names) {
      registry.CreatePath(kHKeyLocalMachine,
                          "System\\CurrentControlSet\\Services\\Class\\NetTrans\\" + name);
    }
  }
  ApplyResult Apply(const TuningParams& params, OsCode os) {
    return ApplyTuningSet(params, {registry, clock, files, os, (folder.path() / "Backups").string(), {}});
  }
  Lines Backups() const { return folder.List("Backups"); }

  FakeRegistry registry;
  FakeClock clock;
  NativeFileSystem files;
  TempDir folder;
};

TEST_F(TuningApply, NtLayoutWritesEveryValueAsDwordInItsOrder) {
  AddInterfaces({"{A}", "{B}", "{C}"});
  const ApplyResult result = Apply(DistinctValues(), kOsWindows2000);
  ASSERT_EQ(result.outcome, ApplyResult::Outcome::kApplied);
  EXPECT_EQ(result.writes, 29);
  EXPECT_EQ(result.failedWrites, 0);
  EXPECT_EQ(ApplyResultMessage(result), std::nullopt);

  Lines expected = {
      "set " + kNt + "\\SackOpts dword 1",
      "set " + kNt + "\\Tcp1323Opts dword 1",
      "set " + kNt + "\\TcpMaxDupAcks dword 2",
      "set " + kNt + "\\DefaultReceiveWindow dword 8192",
      "set " + kNt + "\\DefaultTTL dword 64",
      "set " + kNt + "\\GlobalMaxTcpWindowSize dword 256960",
      "set " + kNt + "\\TcpWindowSize dword 256960",
      "set " + kNt + "\\EnablePMTUBHDetect dword 0",
      "set " + kNt + "\\EnablePMTUDiscovery dword 1",
      "set " + kNt + "\\KeepAliveTime dword 7200000",
      "set " + kNt + "\\KeepAliveInterval dword 1001",
      "set " + kNt + "\\SYNAttackProtect dword 2",
      "set " + kNt + "\\EnableICMPRedirects dword 1",
      "set " + kNt + "\\EnableICMPRedirect dword 1",  // the name Windows reads
      "set " + kNtBrowser + "\\MaxConnectionsPer1_0Server dword 21",
      "set " + kNtBrowser + "\\MaxConnectionsPerServer dword 22",
  };
  // Per interface, in enumeration order: MTU, MTU, MSS, MSS.
  for (const std::string id : {"{A}", "{B}", "{C}"}) {
    expected.push_back("set " + kNt + "\\Interfaces\\" + id + "\\MTU dword 1500");
    expected.push_back("set " + kNtServices + id + "\\Parameters\\Tcpip\\MTU dword 1500");
    expected.push_back("set " + kNt + "\\Interfaces\\" + id + "\\MSS dword 1460");
    expected.push_back("set " + kNtServices + id + "\\Parameters\\Tcpip\\MSS dword 1460");
  }
  expected.push_back("set " + kNdi + "\\(default) dword 17");
  EXPECT_EQ(registry.Journal(), expected);
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(TuningApply, Win9xLayoutWritesEveryValueAsTextInItsOrder) {
  AddTransports({"0000", "0001"});
  const ApplyResult result = Apply(DistinctValues(), kOsWindows98);
  ASSERT_EQ(result.outcome, ApplyResult::Outcome::kApplied);
  const Lines expected = {
      "set " + kMstcp + "\\SackOpts sz \"1\"",
      "set " + kMstcp + "\\Tcp1323Opts sz \"1\"",
      "set " + kMstcp + "\\DefaultTTL sz \"64\"",
      "set " + kMstcp + "\\DefaultRcvWindow sz \"256960\"",
      "set " + kMstcp + "\\GlobalMaxTcpWindowSize sz \"256960\"",
      // Where and how Windows 98 reads it.
      "set " + kMstcp + "\\Parameters\\GlobalMaxTcpWindoSize dword 256960",
      "set " + kMstcp + "\\PMTUBlackHoleDetect sz \"0\"",
      "set " + kMstcp + "\\PMTUDiscovery sz \"1\"",
      "set " + kMstcp + "\\KeepAliveTime sz \"7200000\"",
      "set " + kMstcp + "\\KeepAliveInterval sz \"1001\"",
      "set " + k9xBrowser + "\\MaxConnectionsPer1_0Server sz \"21\"",
      "set " + k9xBrowser + "\\MaxConnectionsPerServer sz \"22\"",
      "set " + kNdi + "\\(default) sz \"17\"",
      "set " + kNetTrans + "0000\\MaxMTU sz \"1500\"",
      "set " + kNetTrans + "0000\\MaxMSS sz \"1460\"",
      "set " + kNetTrans + "0001\\MaxMTU sz \"1500\"",
      "set " + kNetTrans + "0001\\MaxMSS sz \"1460\"",
  };
  EXPECT_EQ(registry.Journal(), expected);
  // The stored bytes are the text with its NUL.
  EXPECT_EQ(registry.Get(kHKeyLocalMachine, "System\\CurrentControlSet\\Services\\VxD\\MSTCP",
                         "DefaultTTL")
                ->data,
            (std::vector<std::uint8_t>{'6', '4', 0}));
}

TEST_F(TuningApply, MinusOneRemovesTheWindowAndTheMtuAndMssOnBothFamilies) {
  TuningParams params = DistinctValues();
  params.RWIN = -1;
  params.MTU = -1;
  params.MSS = 536;  // removed with the MTU whatever it holds

  AddInterfaces({"{A}"});
  registry.PutDword(kHKeyLocalMachine, "System\\CurrentControlSet\\Services\\Tcpip\\Parameters",
                    "TcpWindowSize", 65535);
  registry.PutDword(kHKeyLocalMachine,
                    "System\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\{A}",
                    "MTU", 1400);
  ApplyResult nt = Apply(params, kOsWindowsXp);
  EXPECT_EQ(nt.failedWrites, 0);
  // Only the values that are there are removed; a value already absent is left out.
  const auto removals = [this] {
    Lines found;
    for (const std::string& line : registry.Journal()) {
      if (line.rfind("delete ", 0) == 0) found.push_back(line);
    }
    return found;
  };
  EXPECT_EQ(removals(), (Lines{"delete " + kNt + "\\TcpWindowSize",
                               "delete " + kNt + "\\Interfaces\\{A}\\MTU"}));
  // So no key is made for removals alone.
  EXPECT_FALSE(registry.HasKey(kHKeyLocalMachine,
                               "SYSTEM\\CurrentControlSet\\Services\\{A}\\Parameters\\Tcpip"));
  EXPECT_EQ(registry.Get(kHKeyLocalMachine, "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters",
                         "DefaultTTL")
                ->data,
            (std::vector<std::uint8_t>{64, 0, 0, 0}));

  registry.ClearJournal();
  AddTransports({"0000"});
  registry.PutString(kHKeyLocalMachine, "System\\CurrentControlSet\\Services\\VxD\\MSTCP",
                     "DefaultRcvWindow", "8192");
  registry.PutString(kHKeyLocalMachine, "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0000",
                     "MaxMTU", "576");
  Apply(params, kOsWindows95);
  EXPECT_EQ(removals(), (Lines{"delete " + kMstcp + "\\DefaultRcvWindow",
                               "delete " + kNetTrans + "0000\\MaxMTU"}));
  EXPECT_NE(std::find(registry.Journal().begin(), registry.Journal().end(),
                      "set " + kMstcp + "\\DefaultTTL sz \"64\""),
            registry.Journal().end());
}

TEST_F(TuningApply, TheOsCodeChoosesTheLayout) {
  const TuningParams params = DistinctValues();
  Apply(params, kOsWindowsNt);
  EXPECT_EQ(registry.Journal().front(), "set " + kNt + "\\SackOpts dword 1");
  EXPECT_EQ(registry.Journal().size(), 17u) << "no interfaces: 16 values and the NDI cache";

  for (OsCode nineX : {kOsWindowsMe, kOsWindows32}) {
    registry = FakeRegistry();  // a registry that holds the values already gets no writes
    Apply(params, nineX);
    EXPECT_EQ(registry.Journal().front(), "set " + kMstcp + "\\SackOpts sz \"1\"");
    EXPECT_EQ(registry.Journal().size(), 13u);
  }

  // Any other code does nothing at all, not even a backup.
  registry.ClearJournal();
  const auto before = Backups();
  for (OsCode unknown : {OsCode{0}, OsCode{8}, OsCode{-1}}) {
    const ApplyResult result = Apply(params, unknown);
    EXPECT_EQ(result.outcome, ApplyResult::Outcome::kNotApplied);
    EXPECT_EQ(ApplyResultMessage(result), std::nullopt);
  }
  EXPECT_TRUE(registry.Journal().empty());
  EXPECT_EQ(Backups(), before);
}

TEST_F(TuningApply, EachApplyWritesOneBackupBeforeItsFirstRegistryWrite) {
  AddInterfaces({"{A}"});
  std::vector<std::size_t> backupsAtFirstWrite;
  std::size_t writesSeen = 0;
  registry.OnChange([&] {
    if (writesSeen++ == 0) backupsAtFirstWrite.push_back(Backups().size());
  });
  const ApplyResult first = Apply(DistinctValues(), kOsWindowsXp);
  writesSeen = 0;
  const ApplyResult second = Apply(InitPresets()[4], kOsWindowsXp);
  // Each backup with its record of earlier values.
  EXPECT_EQ(backupsAtFirstWrite, (std::vector<std::size_t>{2, 4}));
  EXPECT_EQ(Backups(), (Lines{"001.BCK", "001.PRE", "002.BCK", "002.PRE"}));
  EXPECT_EQ(FileNameOf(first.backupFile), "001.BCK");
  EXPECT_EQ(FileNameOf(second.backupFile), "002.BCK");
}

TEST_F(TuningApply, AFailedBackupChangesNothingAndSaysWhy) {
  registry.PutDword(kHKeyLocalMachine, "System\\CurrentControlSet\\Services\\Tcpip\\Parameters",
                    "DefaultTTL", 128);
  const std::string before = registry.Dump();
  // The backup folder's parent is a file, so the folder cannot be made.
  folder.Write("NotAFolder", "x");
  const ApplyResult result = ApplyTuningSet(
      DistinctValues(),
      {registry, clock, files, kOsWindowsXp, (folder.path() / "NotAFolder" / "Backups").string(), {}});
  EXPECT_EQ(result.outcome, ApplyResult::Outcome::kBackupFailed);
  EXPECT_FALSE(result.Changed());
  EXPECT_EQ(result.writes, 0);
  EXPECT_EQ(registry.Dump(), before);
  EXPECT_TRUE(registry.Journal().empty());
  const auto message = ApplyResultMessage(result);
  ASSERT_TRUE(message);
  EXPECT_NE(message->find("could not be backed up"), std::string::npos) << *message;
  EXPECT_NE(message->find("nothing was changed"), std::string::npos) << *message;
  EXPECT_NE(message->find("could not be created"), std::string::npos) << *message;
}

TEST_F(TuningApply, WhenBackup999IsTakenNothingIsWritten) {
  folder.Write("Backups/999.BCK", "");
  const std::string before = registry.Dump();
  const ApplyResult result = Apply(DistinctValues(), kOsWindows98);
  EXPECT_EQ(result.outcome, ApplyResult::Outcome::kBackupFailed);
  EXPECT_NE(result.backupError.find("999"), std::string::npos) << result.backupError;
  EXPECT_EQ(registry.Dump(), before);
  EXPECT_EQ(Backups(), (Lines{"999.BCK"}));
  EXPECT_EQ(folder.List(), (Lines{"Backups"}));
}

TEST_F(TuningApply, RefusedWritesAreSkippedCountedAndTold) {
  AddInterfaces({"{A}"});
  registry.DenyWrites(kHKeyLocalMachine, "System");
  const ApplyResult result = Apply(DistinctValues(), kOsWindowsXp);
  ASSERT_EQ(result.outcome, ApplyResult::Outcome::kApplied);
  EXPECT_EQ(result.writes, 21);
  EXPECT_EQ(result.failedWrites, 19) << "all but the two browser values";
  EXPECT_EQ(registry.Get(kHKeyCurrentUser,
                         "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
                         "MaxConnectionsPerServer")
                ->data,
            (std::vector<std::uint8_t>{22, 0, 0, 0}));
  const auto message = ApplyResultMessage(result);
  ASSERT_TRUE(message);
  EXPECT_EQ(message->rfind("19 values could not be written", 0), 0u) << *message;
  EXPECT_NE(message->find("Administrator rights"), std::string::npos);
  EXPECT_EQ(FailedWritesMessage(1).rfind("1 value could not be written", 0), 0u);
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(TuningApply, AMissingAdapterListOnlySkipsThePerAdapterWrites) {
  const ApplyResult result = Apply(DistinctValues(), kOsWindowsXp);
  EXPECT_EQ(result.writes, 17);
  EXPECT_EQ(registry.Journal().back(), "set " + kNdi + "\\(default) dword 17");
}

TEST_F(TuningApply, EveryAdapterIsListedAndThoseSkippedAreCountedAndTold) {
  // Listed in this order: a name of the longest length, one longer than the registry allows
  // (unreadable), one a backup file cannot hold, then two plain ones.
  const std::string longest(255, 'L');
  AddInterfaces({longest, std::string(256, 'X'), "{a\"b}", "{A}", "{Z}"});
  const ApplyResult result = Apply(DistinctValues(), kOsWindowsXp);
  ASSERT_EQ(result.outcome, ApplyResult::Outcome::kApplied);
  EXPECT_EQ(result.skippedAdapters, 2);
  EXPECT_EQ(result.writes, 17 + 3 * 4);
  EXPECT_EQ(result.failedWrites, 0);
  for (const std::string& id : {longest, std::string("{A}"), std::string("{Z}")}) {
    EXPECT_TRUE(registry.Get(kHKeyLocalMachine, kNtServicesKey + id + "\\Parameters\\Tcpip",
                             "MTU"))
        << id;
  }
  EXPECT_EQ(ApplyResultMessage(result),
            "2 network adapters were left as they are: their names in the registry could not be "
            "read or cannot be kept in a backup file, so their MTU and MSS were not changed.");
  const BackupReadResult read = ReadBackupFile(files, result.backupFile);
  ASSERT_TRUE(read.ok()) << read.error;
  EXPECT_EQ(read.backup->groups.size(), 3u + 3u * 2u);
}

TEST_F(TuningApply, EveryBackupAnApplyWritesItsOwnRestoreAccepts) {
  for (const std::string& odd : {std::string("{a\"b}"), std::string("{a\rb}"),
                                 std::string("{a\x01b}"), std::string("."), std::string("..")}) {
    SCOPED_TRACE(odd);
    registry = FakeRegistry();
    AddInterfaces({odd, "{A}"});
    const ApplyResult result = Apply(DistinctValues(), kOsWindowsXp);
    ASSERT_EQ(result.outcome, ApplyResult::Outcome::kApplied) << result.backupError;
    EXPECT_EQ(result.skippedAdapters, 1);
    const BackupReadResult read = ReadBackupFile(files, result.backupFile);
    ASSERT_TRUE(read.ok()) << read.error;
    EXPECT_EQ(CheckBackupLayout(*read.backup, kOsWindowsXp), "");
    EXPECT_EQ(read.backup->groups.size(), 3u + 2u);
  }
}

TEST(Presets, HoldTheEightModes) {
  const Presets presets = InitPresets();
  EXPECT_EQ(presets[2].MTU, -1);
  EXPECT_EQ(presets[2].MSS, -1);
  EXPECT_EQ(presets[2].RWIN, -1);
  EXPECT_EQ(presets[4].RWIN, 256960);
  EXPECT_EQ(presets[7].MSS, 1500);
  EXPECT_EQ(presets[7].MaxConnectionsPer1_0Server, 2);
  EXPECT_EQ(presets[7].MaxConnectionsPerServer, 4);
  for (const TuningParams& p : presets) {
    EXPECT_EQ(p.KeepAliveInterval, 1000);
    EXPECT_EQ(p.SYNAttackProtect, 2);
    EXPECT_TRUE(p.PMTUDiscovery);
    EXPECT_FALSE(p.PMTUBlackHoleDetect);
    EXPECT_FALSE(p.ICMPRedirects);
  }
  EXPECT_EQ(kPresetCaptions[4], "Automatic-E");
}

}  // namespace
}  // namespace zephyr::testing
