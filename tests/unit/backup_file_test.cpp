// Backup files: their names, what they record, and that everything written reads back.
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "backup/backup_file.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_registry.h"
#include "fakes/native_file_system.h"
#include "fakes/temp_dir.h"

namespace zephyr::testing {
namespace {

using Lines = std::vector<std::string>;

const std::string kTcpip = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
const std::string kMstcp = "System\\CurrentControlSet\\Services\\VxD\\MSTCP";
const std::string kNetTrans = "System\\CurrentControlSet\\Services\\Class\\NetTrans";

// The lines of a file, each of which must end with CR LF.
Lines FileLines(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  Lines lines;
  std::string all = text.str();
  std::size_t start = 0;
  for (std::size_t end; (end = all.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(all.substr(start, end - start));
  }
  EXPECT_EQ(start, all.size()) << "the last line must end with CR LF";
  return lines;
}

class Backups : public ::testing::Test {
 protected:
  std::filesystem::path Folder() const { return dir.path() / "Backups"; }
  SaveBackupResult Save(OsCode os) { return SaveBackup(registry, clock, files, os, Folder().string()); }
  std::string Next() {
    const NextBackupName next = NextBackupFileName(files, Folder().string());
    EXPECT_TRUE(next.ok()) << next.error;
    return std::string(FileNameOf(next.path));
  }

  FakeRegistry registry;
  FakeClock clock;
  NativeFileSystem files;
  TempDir dir;
};

TEST_F(Backups, AnNtBackupWithThreeInterfacesHas68LinesInTheFixedLayout) {
  registry.PutDword(kHKeyLocalMachine, kTcpip, "DefaultTTL", 128);
  registry.PutDword(kHKeyLocalMachine, kTcpip, "SackOpts", 0);  // recorded as 1 all the same
  for (const char* id : {"{1}", "{2}", "{3}"}) {
    registry.CreatePath(kHKeyLocalMachine, kTcpip + "\\Interfaces\\" + id);
  }
  registry.PutDword(kHKeyLocalMachine, kTcpip + "\\Interfaces\\{2}", "MTU", 1400);
  const SaveBackupResult saved = Save(kOsWindowsXp);
  ASSERT_TRUE(saved.ok()) << saved.error;
  EXPECT_EQ(saved.file, Folder() / "001.BCK");

  const Lines lines = FileLines(saved.file);
  ASSERT_EQ(lines.size(), 68u);
  EXPECT_EQ(Lines(lines.begin(), lines.begin() + 14),
            (Lines{"#2026-12-07#", "#14:05:09#", "7",
                   "\"System\\CurrentControlSet\\Services\\Tcpip\\Parameters\"", "\"SackOpts\"",
                   "1", "\"Tcp1323Opts\"", "1", "\"TcpMaxDupAcks\"", "2",
                   "\"DefaultReceiveWindow\"", "8192", "\"DefaultTTL\"", "128"}));
  EXPECT_EQ(lines[30], "\"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\"");
  EXPECT_EQ(Lines(lines.begin() + 35, lines.begin() + 38),
            (Lines{"\"System\\CurrentControlSet\\Services\\VxD\\NWLink\\Ndi\\params\\cachesize\"",
                   "\"\"", "0"}));
  // Each interface: its group under Interfaces, then the adapter's own Tcpip key.
  EXPECT_EQ(Lines(lines.begin() + 48, lines.begin() + 58),
            (Lines{"\"" + kTcpip + "\\Interfaces\\{2}\"", "\"MTU\"", "1400", "\"MSS\"", "0",
                   "\"SYSTEM\\CurrentControlSet\\Services\\{2}\\Parameters\\Tcpip\"", "\"MTU\"",
                   "0", "\"MSS\"", "0"}));
  EXPECT_EQ(registry.Journal(), Lines{}) << "a backup only reads the registry";
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(Backups, A9xBackupRecordsValuesByTypeFlagsAsBitsAndTheWindowTwice) {
  registry.PutString(kHKeyLocalMachine, kMstcp, "DefaultTTL", "64");
  registry.PutString(kHKeyLocalMachine, kMstcp, "DefaultRcvWindow", "8760 bytes");
  registry.PutString(kHKeyLocalMachine, kMstcp, "GlobalMaxTcpWindowSize", "none");
  registry.PutString(kHKeyLocalMachine, kMstcp, "PMTUBlackHoleDetect", "5");
  registry.PutDword(kHKeyLocalMachine, kMstcp, "KeepAliveTime", 4294967295u);
  registry.PutString(kHKeyLocalMachine, kMstcp, "KeepAliveInterval", "99999999999");
  registry.CreatePath(kHKeyLocalMachine, kNetTrans + "\\0000");
  registry.PutString(kHKeyLocalMachine, kNetTrans + "\\0000", "MaxMTU", "576");

  const SaveBackupResult saved = Save(kOsWindows98);
  ASSERT_TRUE(saved.ok()) << saved.error;
  const Lines lines = FileLines(saved.file);
  EXPECT_EQ(lines, (Lines{"#2026-12-07#", "#14:05:09#", "3",
                          "\"System\\CurrentControlSet\\Services\\VxD\\MSTCP\"",
                          "\"SackOpts\"", "1", "\"Tcp1323Opts\"", "1",
                          "\"DefaultTTL\"", "64",
                          "\"DefaultRcvWindow\"", "8760",
                          "\"GlobalMaxTcpWindowSize\"", "0",
                          "\"PMTUBlackHoleDetect\"", "1",
                          "\"DefaultRcvWindow\"", "8760",
                          "\"PMTUDiscovery\"", "0",
                          "\"KeepAliveTime\"", "4294967295",
                          // Text beyond 32 bits is kept at the largest value a backup can hold.
                          "\"KeepAliveInterval\"", "4294967295",
                          "\"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\"",
                          "\"MaxConnectionsPer1_0Server\"", "0",
                          "\"MaxConnectionsPerServer\"", "0",
                          "\"System\\CurrentControlSet\\Services\\VxD\\NWLink\\Ndi\\params\\cachesize\"",
                          "\"\"", "0",
                          "\"System\\CurrentControlSet\\Services\\Class\\NetTrans\\0000\"",
                          "\"MaxMTU\"", "576", "\"MaxMSS\"", "0"}));
}

TEST_F(Backups, TextAndBinaryValuesOfAnyLengthAreRecordedByTheirNumber) {
  registry.Put(kHKeyLocalMachine, kMstcp, "DefaultTTL", kRegSz, {'1', '4', '6', '0'});
  registry.PutString(kHKeyLocalMachine, kMstcp, "KeepAliveTime", "7200000" + std::string(300, ' '));
  std::vector<std::uint8_t> longBinary(200, 0);
  longBinary[0] = 64;
  registry.Put(kHKeyLocalMachine, kTcpip, "DefaultTTL", kRegBinary, longBinary);
  registry.Put(kHKeyLocalMachine, kTcpip, "TcpWindowSize", kRegBinary,
               std::vector<std::uint8_t>(200, 0xFF));
  const auto groupA = [&](OsCode os) {
    return TakeSnapshot(registry, os, clock.Now()).backup.groups[0].entries;
  };
  const auto win98 = groupA(kOsWindows98);
  EXPECT_EQ(win98[2], (BackupEntry{"DefaultTTL", 1460}));
  EXPECT_EQ(win98[8], (BackupEntry{"KeepAliveTime", 7200000}));
  const auto xp = groupA(kOsWindowsXp);
  EXPECT_EQ(xp[4], (BackupEntry{"DefaultTTL", 64}));
  EXPECT_EQ(xp[6], (BackupEntry{"TcpWindowSize", 4294967295u}));
}

TEST_F(Backups, FilesAreNumberedAfterTheHighestNumberPresent) {
  EXPECT_EQ(Next(), "001.BCK") << "a missing folder is created";
  EXPECT_TRUE(std::filesystem::is_directory(Folder()));
  EXPECT_EQ(Next(), "001.BCK");

  for (const char* name : {"001.BCK", "002.BCK", "005.BCK"}) dir.Write(Folder() / name, "");
  EXPECT_EQ(Next(), "006.BCK");
  dir.Write(Folder() / "006.BCK", "");
  std::filesystem::remove(Folder() / "006.BCK");
  std::filesystem::remove(Folder() / "005.BCK");
  EXPECT_EQ(Next(), "003.BCK") << "gaps below the highest number are not filled";

  dir.Write(Folder() / "notes.BCK", "");
  EXPECT_EQ(Next(), "003.BCK");
  dir.Write(Folder() / "abc012.BCK", "");
  EXPECT_EQ(Next(), "013.BCK");
  dir.Write(Folder() / "020.bck", "");
  EXPECT_EQ(Next(), "021.BCK") << "the extension matches in any case";
  dir.Write(Folder() / "500.BCK.tmp", "");
  dir.Write(Folder() / "600.txt", "");
  EXPECT_EQ(Next(), "021.BCK") << "other files do not count";
  std::filesystem::create_directory(Folder() / "700.BCK");
  EXPECT_EQ(Next(), "701.BCK") << "a folder named like a backup counts: no file can take its name";

  EXPECT_EQ(BackupFileName(9), "009.BCK");
  EXPECT_EQ(BackupFileName(10), "010.BCK");
  EXPECT_EQ(BackupFileName(99), "099.BCK");
  EXPECT_EQ(BackupFileName(100), "100.BCK");
  EXPECT_EQ(BackupNumberOf("1.BCK"), 1);
  EXPECT_EQ(BackupNumberOf("x12y.BCK"), 12);

  dir.Write(Folder() / "999.BCK", "");
  const NextBackupName full = NextBackupFileName(files, Folder().string());
  EXPECT_FALSE(full.ok());
  EXPECT_NE(full.error.find("999"), std::string::npos);
}

TEST_F(Backups, TwoBackupsInOneSecondGetConsecutiveNumbersAndTheSameTime) {
  const SaveBackupResult first = Save(kOsWindowsXp);
  const SaveBackupResult second = Save(kOsWindowsXp);
  ASSERT_TRUE(first.ok() && second.ok());
  EXPECT_EQ(FileNameOf(second.file), "002.BCK");
  EXPECT_EQ(FileLines(first.file), FileLines(second.file));
  EXPECT_EQ(dir.List("Backups"), (Lines{"001.BCK", "001.PRE", "002.BCK", "002.PRE"}));
}

TEST_F(Backups, AFailedWriteLeavesNoFileBehindAndNamesThePath) {
  // A folder where the temporary file should go: the write fails before anything is published.
  std::filesystem::create_directories(Folder() / "001.BCK.tmp" / "inside");
  const SaveBackupResult saved = Save(kOsWindowsXp);
  EXPECT_FALSE(saved.ok());
  EXPECT_NE(saved.error.find("\"" + JoinPath(Folder().string(), "001.BCK") + "\" could not be written"),
            std::string::npos)
      << saved.error;
  EXPECT_EQ(dir.List("Backups"), (Lines{"001.BCK.tmp"}));
}

// The folder as it was when listed, while a file of the next number appears just afterwards.
class ListsBeforeAFileAppears final : public FileSystemPort {
 public:
  explicit ListsBeforeAFileAppears(std::string late) : late_(std::move(late)) {}
  FileStatus ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) override {
    const FileStatus status = files_.ListFolder(folder, entries);
    std::erase_if(entries, [this](const FolderEntry& entry) { return entry.name == late_; });
    return status;
  }
  bool IsFolder(const std::string& path) override { return files_.IsFolder(path); }
  FileStatus CreateFolder(const std::string& path) override { return files_.CreateFolder(path); }
  FileStatus ReadWholeFile(const std::string& path, std::size_t largest,
                           std::string& contents) override {
    return files_.ReadWholeFile(path, largest, contents);
  }
  FileStatus WriteWholeFile(const std::string& path, std::string_view contents,
                            Publish publish) override {
    return files_.WriteWholeFile(path, contents, publish);
  }
  FileStatus RemoveFile(const std::string& path) override { return files_.RemoveFile(path); }

 private:
  NativeFileSystem files_;
  std::string late_;
};

TEST_F(Backups, AFileThatAppearsAfterTheListingIsKeptAndTheBackupTakesTheNextNumber) {
  dir.Write(Folder() / "001.BCK", "someone else's file\r\n");
  ListsBeforeAFileAppears late("001.BCK");
  const SaveBackupResult saved = SaveBackup(registry, clock, late, kOsWindowsXp, Folder().string());
  ASSERT_TRUE(saved.ok()) << saved.error;
  EXPECT_EQ(FileNameOf(saved.file), "002.BCK");
  EXPECT_EQ(FileLines(Folder() / "001.BCK"), Lines{"someone else's file"}) << "never replaced";
  EXPECT_EQ(dir.List("Backups"), (Lines{"001.BCK", "002.BCK", "002.PRE"}));
}

// Every value of a family's layout set to something, so the round trip has to carry it.
void FillLayout(FakeRegistry& registry, OsCode os, std::uint32_t seed) {
  std::mt19937 random(seed);
  const auto value = [&] {
    const std::uint32_t specials[] = {0, 1, 2147483647u, 2147483648u, 4294967295u};
    return random() % 2 ? specials[random() % 5] : static_cast<std::uint32_t>(random());
  };
  if (IsNtFamily(os)) {
    for (const char* name : {"DefaultTTL", "GlobalMaxTcpWindowSize", "TcpWindowSize",
                             "EnablePMTUBHDetect", "KeepAliveTime", "SYNAttackProtect"}) {
      registry.PutDword(kHKeyLocalMachine, kTcpip, name, value());
    }
    for (const char* id : {"{a}", "{b}"}) {
      registry.PutDword(kHKeyLocalMachine, kTcpip + "\\Interfaces\\" + id, "MTU", value());
      registry.PutDword(kHKeyLocalMachine,
                        std::string("SYSTEM\\CurrentControlSet\\Services\\") + id +
                            "\\Parameters\\Tcpip",
                        "MSS", value());
    }
    registry.PutDword(kHKeyCurrentUser,
                      "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
                      "MaxConnectionsPerServer", value());
  } else {
    for (const char* name : {"DefaultTTL", "DefaultRcvWindow", "KeepAliveInterval"}) {
      registry.PutString(kHKeyLocalMachine, kMstcp, name, std::to_string(value()));
    }
    registry.PutString(kHKeyLocalMachine, kNetTrans + "\\0000", "MaxMTU",
                       std::to_string(value()));
    registry.PutString(kHKeyLocalMachine,
                       "System\\CurrentControlSet\\Services\\VxD\\NWLink\\Ndi\\params\\cachesize",
                       "", std::to_string(value()));
  }
}

TEST_F(Backups, EveryBackupWrittenReadsBackToTheRegistryValues) {
  for (const OsCode os : {kOsWindows95, kOsWindowsMe, kOsWindowsNt, kOsWindowsXp}) {
    for (std::uint32_t seed = 1; seed <= 5; ++seed) {
      SCOPED_TRACE(::testing::Message() << "OS code " << os << ", seed " << seed);
      FakeRegistry fresh;
      FillLayout(fresh, os, seed);
      const Snapshot snapshot = TakeSnapshot(fresh, os, clock.Now());
      ASSERT_TRUE(snapshot.ok());
      const SaveBackupResult saved = SaveBackup(fresh, clock, files, os, Folder().string());
      ASSERT_TRUE(saved.ok()) << saved.error;
      const BackupReadResult read = ReadBackupFile(files, saved.file);
      ASSERT_TRUE(read.ok()) << read.error;
      EXPECT_EQ(*read.backup, snapshot.backup);
    }
  }
  // The values themselves, spot-checked against the registry.
  FakeRegistry fresh;
  fresh.PutDword(kHKeyLocalMachine, kTcpip, "KeepAliveTime", 2147483648u);
  fresh.PutDword(kHKeyLocalMachine, kTcpip, "TcpWindowSize", 4294967295u);
  const auto read =
      ReadBackupFile(files, SaveBackup(fresh, clock, files, kOsWindowsXp, Folder().string()).file);
  ASSERT_TRUE(read.ok()) << read.error;
  const auto& groupA = read.backup->groups[0].entries;
  EXPECT_EQ(groupA[6], (BackupEntry{"TcpWindowSize", 4294967295u}));
  EXPECT_EQ(groupA[9], (BackupEntry{"KeepAliveTime", 2147483648u}));
  EXPECT_EQ(groupA[4], (BackupEntry{"DefaultTTL", 0}));
}

TEST_F(Backups, ANetworkKeyNameAFileCannotHoldIsLeftOutOfTheBackup) {
  registry.CreatePath(kHKeyLocalMachine, kTcpip + "\\Interfaces\\{a\"b}");
  const SaveBackupResult saved = Save(kOsWindowsXp);
  ASSERT_TRUE(saved.ok()) << saved.error;
  EXPECT_EQ(FileLines(saved.file).size(), 38u) << "the fixed groups only";
}

const char kSmallNt[] =
    "#2026-12-07#\r\n#14:05:09#\r\n7\r\n"
    "\"A\"\r\n\"a1\"\r\n1\r\n\"a2\"\r\n2\r\n\"a3\"\r\n3\r\n\"a4\"\r\n4\r\n\"a5\"\r\n5\r\n"
    "\"a6\"\r\n6\r\n\"a7\"\r\n7\r\n\"a8\"\r\n8\r\n\"a9\"\r\n9\r\n\"a10\"\r\n10\r\n"
    "\"a11\"\r\n11\r\n\"a12\"\r\n12\r\n\"a13\"\r\n13\r\n"
    "\"B\"\r\n\"b1\"\r\n1\r\n\"b2\"\r\n2\r\n"
    "\"C\"\r\n\"\"\r\n0\r\n";

TEST(BackupReader, ReadsGroupsByPositionAndAcceptsCommasAndCleanEnds) {
  const BackupReadResult read = ParseBackup(kSmallNt);
  ASSERT_TRUE(read.ok()) << read.error;
  EXPECT_EQ(read.backup->taken, (LocalDateTime{2026, 12, 7, 14, 5, 9}));
  EXPECT_EQ(read.backup->osCode, 7);
  ASSERT_EQ(read.backup->groups.size(), 3u);
  EXPECT_EQ(read.backup->groups[0].entries.size(), 13u);
  EXPECT_EQ(read.backup->groups[2].entries[0], (BackupEntry{"", 0}));

  const std::string withAdapter = std::string(kSmallNt) +
                                  "\"D\" , \"MTU\",4294967295\n\"MSS\",4.294967295E+9\r\n\r\n";
  const BackupReadResult more = ParseBackup(withAdapter);
  ASSERT_TRUE(more.ok()) << more.error;
  EXPECT_EQ(more.backup->groups[3],
            (BackupGroup{"D", {{"MTU", 4294967295u}, {"MSS", 4294967295u}}}));

  std::string commas = kSmallNt;
  for (std::size_t at; (at = commas.find("\r\n\"a")) != std::string::npos;) {
    commas.replace(at, 2, ",");
  }
  EXPECT_TRUE(ParseBackup(commas).ok()) << ParseBackup(commas).error;
}

TEST(BackupReader, RefusesDamagedFilesWithAReason) {
  const std::string good = kSmallNt;
  const auto replaced = [&](std::string_view from, std::string_view to) {
    std::string text = good;
    text.replace(text.find(from), from.size(), to);
    return text;
  };
  const std::pair<std::string, std::string> cases[] = {
      {"", "empty"},
      {"\r\n  \r\n", "empty"},
      {replaced("\"a13\"\r\n13\r\n", "\"a13\"\r\n4294967296\r\n"), "0 to 4294967295"},
      {replaced("\"a13\"\r\n13\r\n", "\"a13\"\r\n-1\r\n"), "0 to 4294967295"},
      {replaced("\"a13\"\r\n13\r\n", "\"a13\"\r\n1E+15\r\n"), "0 to 4294967295"},
      {replaced("\"a13\"\r\n13\r\n", "\"a13\"\r\n1.5\r\n"), "0 to 4294967295"},
      {replaced("\"a13\"\r\n13\r\n", "\"a13\"\r\nabc\r\n"), "0 to 4294967295"},
      {replaced("\"a13\"\r\n13\r\n", "\"a13\"\r\n\r\n"), "expected a value"},
      {replaced("\r\n7\r\n", "\r\n9\r\n"), "1 to 7"},
      {replaced("\r\n7\r\n", "\r\n65539\r\n"), "1 to 7"},
      {replaced("#2026-12-07#", "#2026-02-30#"), "not a valid date"},
      {replaced("#14:05:09#", "#24:05:09#"), "not a valid time"},
      {replaced("\"C\"", "\"C"), "not closed"},
      {replaced("\"b2\"", "b2"), "expected a value name"},
      {good + "\"D\"\r\n\"MTU\"\r\n1500\r\n", "ends in the middle"},
      {good.substr(0, good.size() - 12), "ends in the middle"},
      {replaced("\"B\"\r\n", "\"B\" x\r\n"), "unexpected text"},
      {replaced("\"B\"\r\n", "\"B\",,"), "empty"},
  };
  for (const auto& [text, reason] : cases) {
    const BackupReadResult read = ParseBackup(text);
    EXPECT_FALSE(read.ok()) << text;
    EXPECT_NE(read.error.find(reason), std::string::npos)
        << "expected a reason with \"" << reason << "\", got \"" << read.error << "\"";
  }

  // Random bytes never crash the reader and never read as a backup.
  std::mt19937 random(7);
  for (int round = 0; round < 200; ++round) {
    std::string noise(static_cast<std::size_t>(random() % 400), '\0');
    for (char& c : noise) c = static_cast<char>(random());
    EXPECT_FALSE(ParseBackup(noise).ok());
  }
}

TEST(BackupReader, ReportsFilesItCannotRead) {
  TempDir dir;
  NativeFileSystem files;
  EXPECT_NE(ReadBackupFile(files, (dir.path() / "missing.BCK").string()).error.find("could not be read"),
            std::string::npos);
  const auto big = dir.Write("big.BCK", std::string(2 << 20, '1'));
  EXPECT_NE(ReadBackupFile(files, big.string()).error.find("too large"), std::string::npos);
  const auto good = dir.Write("001.BCK", kSmallNt);
  EXPECT_TRUE(ReadBackupFile(files, good.string()).ok());
}

TEST(BackupNumbers, PlainDigitsBelow10To15AndExponentNotationAbove) {
  EXPECT_EQ(FormatBackupNumber(0), "0");
  EXPECT_EQ(FormatBackupNumber(4294967295.0), "4294967295");
  EXPECT_EQ(FormatBackupNumber(999999999999999.0), "999999999999999");
  EXPECT_EQ(FormatBackupNumber(1e15), "1E+15");
  EXPECT_EQ(FormatBackupNumber(123456789012345678.0), "1.23456789012346E+17");
  EXPECT_EQ(FormatBackupNumber(2.5e100), "2.5E+100");
}

}  // namespace
}  // namespace zephyr::testing
