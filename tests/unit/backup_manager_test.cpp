// The backup manager: the list, its sorting, the buttons, deleting and restoring.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "backup/backup_file.h"
#include "platform/registry.h"
#include "backup/backup_list_index.h"
#include "backup/backup_manager_form.h"
#include "fakes/fake_program.h"
#include "fakes/fake_form_host.h"
#include "tuning/registry_layout.h"

namespace zephyr::testing {
namespace {

using Names = std::vector<std::string>;

class BackupManager : public ::testing::Test, protected FakeProgram {
 protected:
  void Start(std::uint32_t platform = kVerPlatformWin32Nt, std::uint32_t major = 5,
             std::uint32_t minor = 1) {
    Make(platform, major, minor);
    ASSERT_TRUE(program->Start());
    form = &dynamic_cast<BackupManagerForm&>(program->Panel(PanelId::kBackUp));
    host = std::make_unique<FakeFormHost>(*form, timers);
  }

  // A backup of this registry taken at `taken` on a system of `os`.
  void WriteBackup(const std::string& name, LocalDateTime taken, OsCode os = kOsWindowsXp) {
    const Snapshot snapshot = TakeSnapshot(registry, os, taken);
    ASSERT_TRUE(snapshot.ok()) << snapshot.error;
    folder.Write("Backups/" + name, SerializeBackup(snapshot.backup));
  }

  void ShowPanel() { program->OnCommand("IDC_FS_backupManger"); }

  // The backups in the folder, without the manager's index.
  Names BackupFiles() const {
    Names names;
    for (const std::string& name : folder.List("Backups")) {
      if (IsBackupFileName(name)) names.push_back(name);
    }
    return names;
  }

  Names ColumnTexts(int key) const {
    Names texts;
    for (std::size_t i = 0; i < form->lstBackUpList.ItemCount(); ++i) {
      texts.push_back(form->lstBackUpList.Item(i).KeyText(key));
    }
    return texts;
  }
  Names Tags() const {
    Names tags;
    for (int c = 1; c <= form->lstBackUpList.ColumnCount(); ++c) {
      tags.push_back(form->lstBackUpList.Column(c).Tag());
    }
    return tags;
  }
  bool ButtonsEnabled() const {
    EXPECT_EQ(form->cmdRestore.Enabled(), form->cmdDelete.Enabled());
    return form->cmdRestore.Enabled();
  }
  // Selects the item of a file name by a click, as a user would.
  bool ClickFile(const std::string& name) {
    const Names names = ColumnTexts(0);
    const auto found = std::find(names.begin(), names.end(), name);
    return found != names.end() &&
           host->ClickItem("lstBackUpList", static_cast<std::size_t>(found - names.begin()));
  }
  bool MovieToldHome() const {
    return program->mainWindow().flash.LastVariableSet() ==
           std::pair<std::string, std::string>{"_root.home", "true"};
  }

  BackupManagerForm* form = nullptr;
  std::unique_ptr<FakeFormHost> host;
};

// The test machine's files, where nothing below `readOnly` can be made, replaced or removed: the
// program folder in Program Files as a standard user sees it.
class ReadOnlyBelow final : public FileSystemPort {
 public:
  ReadOnlyBelow(FileSystemPort& files, std::string readOnly)
      : files_(files), readOnly_(std::move(readOnly)) {}
  FileStatus ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) override {
    return files_.ListFolder(folder, entries);
  }
  bool IsFolder(const std::string& path) override { return files_.IsFolder(path); }
  FileStatus CreateFolder(const std::string& path) override {
    return Denied(path) ? kFileAccessDenied : files_.CreateFolder(path);
  }
  FileStatus ReadWholeFile(const std::string& path, std::size_t largest,
                           std::string& contents) override {
    return files_.ReadWholeFile(path, largest, contents);
  }
  FileStatus WriteWholeFile(const std::string& path, std::string_view contents,
                            Publish publish) override {
    return Denied(path) ? kFileAccessDenied : files_.WriteWholeFile(path, contents, publish);
  }
  FileStatus RemoveFile(const std::string& path) override {
    return Denied(path) ? kFileAccessDenied : files_.RemoveFile(path);
  }

 private:
  bool Denied(const std::string& path) const { return path.rfind(readOnly_, 0) == 0; }
  FileSystemPort& files_;
  std::string readOnly_;
};

TEST_F(BackupManager, AReadOnlyProgramFolderSendsNewBackupsToTheSharedFolderAndBothAreListed) {
  WriteBackup("001.BCK", {2026, 3, 9, 9, 0, 0});
  WriteBackup("002.BCK", {2026, 3, 10, 10, 0, 0});
  TempDir shared;
  ReadOnlyBelow readOnly(files, folder.path().string());
  realFiles = &readOnly;
  dataFolder = (shared.path() / "Zephyrnet").string();
  Start();

  const ApplyResult applied = program->ApplyCurrentTuningSet();
  ASSERT_EQ(applied.outcome, ApplyResult::Outcome::kApplied) << applied.backupError;
  // Numbered after the backups it cannot write beside, so no name is taken twice.
  EXPECT_EQ(shared.List("Zephyrnet/Backups"), (Names{"003.BCK", "003.PRE"}));
  EXPECT_EQ(BackupFiles(), (Names{"001.BCK", "002.BCK"}));
  ShowPanel();
  Names listed = ColumnTexts(0);
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (Names{"001.BCK", "002.BCK", "003.BCK"}));

  // The old backups are still a way back.
  ASSERT_TRUE(ClickFile("001.BCK"));
  dialogs.answers.push_back(kIdYes);
  ASSERT_TRUE(host->Click("cmdRestore"));
  EXPECT_TRUE(MovieToldHome());
}

TEST_F(BackupManager, ListsEveryBackupWithItsLocalDateAndTimeAndDamagedOnesWithout) {
  Start();
  // Without a backup folder the list is empty and the folder is made.
  ShowPanel();
  EXPECT_TRUE(std::filesystem::is_directory(folder.path() / "Backups"));
  EXPECT_EQ(form->lstBackUpList.ItemCount(), 0u);
  EXPECT_FALSE(ButtonsEnabled());
  EXPECT_EQ(form->lstBackUpList.Column(1).Text(), "File Name");
  EXPECT_EQ(form->lstBackUpList.Column(2).Text(), "Creating Date");
  EXPECT_EQ(form->lstBackUpList.Column(3).Text(), "Creating Time");

  WriteBackup("001.BCK", {2026, 3, 9, 14, 5, 9});
  folder.Write("Backups/002.BCK", "");
  folder.Write("Backups/003.bck", "#2026-13-01#\r\n#99:00:00#\r\n");
  folder.Write("Backups/notes.txt", "not a backup");
  ShowPanel();
  std::map<std::string, std::pair<std::string, std::string>> shown;
  for (std::size_t i = 0; i < form->lstBackUpList.ItemCount(); ++i) {
    const ui::ListItem& item = form->lstBackUpList.Item(i);
    shown[item.Text()] = {item.SubItems(1), item.SubItems(2)};
  }
  EXPECT_EQ(shown, (std::map<std::string, std::pair<std::string, std::string>>{
                       {"001.BCK", {"3/9/2026", "2:05:09 PM"}},
                       {"002.BCK", {"", ""}},
                       {"003.BCK", {"", ""}}}));
  EXPECT_FALSE(ButtonsEnabled());
}

// A listing reads only the files whose size or time of change differ from the index's; the
// index follows the folder, and a damaged or unwritable index changes nothing that is shown.
TEST_F(BackupManager, ListingReadsOnlyChangedFilesAndTheIndexNeverChangesTheList) {
  Start();
  WriteBackup("001.BCK", {2026, 3, 9, 14, 5, 9});
  folder.Write("Backups/002.BCK", "");
  WriteBackup("003.BCK", {2026, 3, 10, 8, 0, 0});
  const auto dates = [&] {
    std::map<std::string, std::string> shown;
    for (std::size_t i = 0; i < form->lstBackUpList.ItemCount(); ++i) {
      const ui::ListItem& item = form->lstBackUpList.Item(i);
      shown[item.Text()] = item.SubItems(1) + " " + item.SubItems(2);
    }
    return shown;
  };
  using Shown = std::map<std::string, std::string>;
  const Shown first{{"001.BCK", "3/9/2026 2:05:09 PM"}, {"002.BCK", " "},
                    {"003.BCK", "3/10/2026 8:00:00 AM"}};
  ShowPanel();
  EXPECT_EQ(dates(), first);
  const std::filesystem::path index = folder.path() / "Backups" / "BackupList.idx";
  ASSERT_TRUE(std::filesystem::is_regular_file(index));
  EXPECT_EQ(BackupFiles(), (Names{"001.BCK", "002.BCK", "003.BCK"})) << "the index is no backup";

  // Another backup of the same size, given back the old time of change, is taken for the old one:
  // the file was not read again. A new time of change, or another size, and it is.
  const std::filesystem::path one = folder.path() / "Backups" / "001.BCK";
  const auto changedAt = std::filesystem::last_write_time(one);
  WriteBackup("001.BCK", {2026, 4, 9, 14, 5, 9});
  std::filesystem::last_write_time(one, changedAt);
  ShowPanel();
  EXPECT_EQ(dates(), first);
  std::filesystem::last_write_time(one, changedAt + std::chrono::seconds(5));
  WriteBackup("002.BCK", {2026, 3, 11, 9, 30, 0});
  ShowPanel();
  EXPECT_EQ(dates(), (Shown{{"001.BCK", "4/9/2026 2:05:09 PM"}, {"002.BCK", "3/11/2026 9:30:00 AM"},
                            {"003.BCK", "3/10/2026 8:00:00 AM"}}));

  // A deleted file leaves the index; a damaged index is ignored and written anew.
  std::filesystem::remove(folder.path() / "Backups" / "003.BCK");
  folder.Write("Backups/BackupList.idx", "Zephyrnet backup list index 1\r\n003.BCK|1|2|x|y\r\n");
  ShowPanel();
  const Shown two{{"001.BCK", "4/9/2026 2:05:09 PM"}, {"002.BCK", "3/11/2026 9:30:00 AM"}};
  EXPECT_EQ(dates(), two);
  std::string written;
  {
    std::ifstream in(index, std::ios::binary);
    written.assign(std::istreambuf_iterator<char>(in), {});
  }
  const std::optional<BackupListIndex> reread = BackupListIndex::Parse(written);
  ASSERT_TRUE(reread) << written;
  EXPECT_EQ(reread->size(), 2u);

  // A folder that cannot take the index is listed all the same.
  std::filesystem::remove(index);
  std::filesystem::create_directory(index);
  ShowPanel();
  EXPECT_EQ(dates(), two);
  EXPECT_TRUE(std::filesystem::is_directory(index));
  EXPECT_EQ(BackupFiles(), (Names{"001.BCK", "002.BCK"}));
}

TEST_F(BackupManager, DeleteAsksAndTheButtonsNeedASelectedFileAlsoAfterADeletion) {
  Start();
  WriteBackup("001.BCK", {2026, 3, 9, 9, 0, 0});
  WriteBackup("002.BCK", {2026, 3, 10, 10, 0, 0});
  ShowPanel();
  EXPECT_FALSE(ButtonsEnabled());
  EXPECT_FALSE(host->Click("cmdDelete"));
  ASSERT_TRUE(host->ClickColumn("lstBackUpList", 1));
  EXPECT_FALSE(ButtonsEnabled());
  ASSERT_TRUE(ClickFile("001.BCK"));
  EXPECT_TRUE(ButtonsEnabled());
  ASSERT_TRUE(host->ClickColumn("lstBackUpList", 2));
  EXPECT_TRUE(ButtonsEnabled());

  dialogs.answers = {kIdNo};
  ASSERT_TRUE(host->Click("cmdDelete"));
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text, "Do you want to delete this file?");
  EXPECT_EQ(dialogs.shown[0].title, "Zephyrnet");
  EXPECT_EQ(dialogs.shown[0].flags, kMbYesNo | kMbIconWarning);
  EXPECT_EQ(BackupFiles(), (Names{"001.BCK", "002.BCK"}));
  EXPECT_TRUE(ButtonsEnabled());

  // After a deletion nothing is selected, so there is nothing the buttons could act on. The
  // backup's record of earlier values goes with it.
  folder.Write("Backups/001.PRE", "record");
  ASSERT_TRUE(host->Click("cmdDelete"));
  EXPECT_EQ(BackupFiles(), Names{"002.BCK"});
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "Backups" / "001.PRE"));
  EXPECT_EQ(form->lstBackUpList.ItemCount(), 1u);
  EXPECT_FALSE(ButtonsEnabled());
  ASSERT_TRUE(ClickFile("002.BCK"));
  ASSERT_TRUE(host->Click("cmdDelete"));
  EXPECT_EQ(form->lstBackUpList.ItemCount(), 0u);
  EXPECT_FALSE(ButtonsEnabled());
  // Showing the panel again starts without a selection.
  WriteBackup("001.BCK", {2026, 3, 9, 9, 0, 0});
  ShowPanel();
  ASSERT_TRUE(ClickFile("001.BCK"));
  ShowPanel();
  EXPECT_FALSE(ButtonsEnabled());
}

TEST_F(BackupManager, ColumnsSortByDateAndTimeValuesAlternatingFromAscending) {
  Start();
  // In text order "3/10/2026" comes before "3/9/2026", and "10:00:00 AM" before "9:00:00 AM".
  WriteBackup("001.BCK", {2026, 3, 10, 9, 0, 0});
  WriteBackup("002.BCK", {2026, 3, 9, 10, 0, 0});
  WriteBackup("003.BCK", {2025, 12, 31, 9, 0, 0});
  folder.Write("Backups/004.BCK", "damaged");
  ShowPanel();

  ASSERT_TRUE(host->ClickColumn("lstBackUpList", 2));
  EXPECT_EQ(Tags(), (Names{"", "ASC", ""}));
  EXPECT_EQ(ColumnTexts(0), (Names{"004.BCK", "003.BCK", "002.BCK", "001.BCK"}));
  ASSERT_TRUE(host->ClickColumn("lstBackUpList", 2));
  EXPECT_EQ(Tags(), (Names{"", "DESC", ""}));
  EXPECT_EQ(ColumnTexts(0), (Names{"001.BCK", "002.BCK", "003.BCK", "004.BCK"}));
  ASSERT_TRUE(host->ClickColumn("lstBackUpList", 2));
  EXPECT_EQ(Tags(), (Names{"", "ASC", ""}));
  EXPECT_EQ(ColumnTexts(0), (Names{"004.BCK", "003.BCK", "002.BCK", "001.BCK"}));

  // Another column starts ascending; equal times keep the order they had.
  ASSERT_TRUE(host->ClickColumn("lstBackUpList", 3));
  EXPECT_EQ(Tags(), (Names{"", "", "ASC"}));
  EXPECT_EQ(ColumnTexts(0), (Names{"004.BCK", "003.BCK", "001.BCK", "002.BCK"}));
  EXPECT_EQ(form->CompareListItems(form->lstBackUpList.Item(1), form->lstBackUpList.Item(2)), 0);
  EXPECT_EQ(form->CompareListItems(form->lstBackUpList.Item(2), form->lstBackUpList.Item(3)), -1);
  EXPECT_FALSE(form->lstBackUpList.Sorted());

  // The file names are sorted by the list itself.
  ASSERT_TRUE(host->ClickColumn("lstBackUpList", 1));
  EXPECT_EQ(Tags(), (Names{"ASC", "", ""}));
  EXPECT_TRUE(form->lstBackUpList.Sorted());
  EXPECT_EQ(form->lstBackUpList.SortKey(), 0);
  EXPECT_EQ(ColumnTexts(0), (Names{"001.BCK", "002.BCK", "003.BCK", "004.BCK"}));
  ASSERT_TRUE(host->ClickColumn("lstBackUpList", 1));
  EXPECT_EQ(ColumnTexts(0), (Names{"004.BCK", "003.BCK", "002.BCK", "001.BCK"}));
  ASSERT_TRUE(host->ClickColumn("lstBackUpList", 3));
  EXPECT_EQ(Tags(), (Names{"", "", "ASC"}));
}

TEST_F(BackupManager, RestoreAsksThenWritesTheFileAndReturnsTheMovieHome) {
  Start();
  registry.CreatePath(kHKeyLocalMachine, layout::InterfaceKey("{A}"));
  registry.CreatePath(kHKeyLocalMachine, layout::AdapterTcpipKey("{A}"));
  WriteBackup("001.BCK", {2026, 3, 9, 9, 0, 0});
  ShowPanel();
  ASSERT_TRUE(ClickFile("001.BCK"));

  dialogs.answers = {kIdNo};
  const std::string before = registry.Dump();
  ASSERT_TRUE(host->Click("cmdRestore"));
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text, "Do you want to restore this settings?");
  EXPECT_EQ(dialogs.shown[0].flags, kMbYesNo | kMbIconWarning);
  EXPECT_EQ(registry.Dump(), before);
  EXPECT_FALSE(MovieToldHome());

  ASSERT_TRUE(host->Click("cmdRestore"));
  EXPECT_EQ(dialogs.shown.size(), 2u);
  // Without its record, every value is written or removed, but for the two connection limits
  // whose key is missing: there is nothing to remove.
  EXPECT_EQ(registry.Journal().size(), 13u + 1u + 4u + 1u);  // and EnableICMPRedirect
  EXPECT_EQ(registry.Get(kHKeyLocalMachine, layout::kTcpipParametersKey, "SackOpts"),
            (StoredValue{kRegDword, {1, 0, 0, 0}}));
  EXPECT_TRUE(MovieToldHome());
  EXPECT_TRUE(program->mainWindow().MovieInFront());

  // An adapter that has gone since is skipped, and the user is told.
  ASSERT_TRUE(CRegister(registry).REGDeleteSetting(kHKeyLocalMachine,
                                                   layout::AdapterTcpipKey("{A}"), ""));
  ASSERT_TRUE(host->Click("cmdRestore"));
  ASSERT_EQ(dialogs.shown.size(), 4u);
  EXPECT_EQ(dialogs.shown[3].text.rfind("1 network adapter group of 001.BCK was skipped", 0), 0u)
      << dialogs.shown[3].text;
}

TEST_F(BackupManager, ADamagedFileIsToldAndChangesNothing) {
  Start();
  WriteBackup("001.BCK", {2026, 3, 9, 9, 0, 0});
  const auto file = folder.path() / "Backups" / "001.BCK";
  std::string text;
  {
    std::ifstream in(file, std::ios::binary);
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // The last value is out of range: nothing before it may be written either.
  text.replace(text.rfind("\r\n0\r\n"), 5, "\r\n4294967296\r\n");
  folder.Write("Backups/001.BCK", text);
  ShowPanel();
  ASSERT_TRUE(ClickFile("001.BCK"));
  const std::string before = registry.Dump();
  ASSERT_TRUE(host->Click("cmdRestore"));
  ASSERT_EQ(dialogs.shown.size(), 2u);
  EXPECT_EQ(dialogs.shown[1].title, "Zephyrnet");
  EXPECT_EQ(dialogs.shown[1].flags, kMbOk | kMbIconError);
  EXPECT_NE(dialogs.shown[1].text.find("001.BCK is damaged"), std::string::npos);
  EXPECT_NE(dialogs.shown[1].text.find("Nothing was changed."), std::string::npos);
  EXPECT_EQ(registry.Dump(), before);
  EXPECT_TRUE(registry.Journal().empty());
  EXPECT_TRUE(MovieToldHome());
}

TEST_F(BackupManager, AFileOfAnotherSystemIsToldAndTheUserStaysOnTheList) {
  Start(kVerPlatformWin32Windows, 4, 10);
  WriteBackup("001.BCK", {2026, 3, 9, 9, 0, 0}, kOsWindowsXp);
  ShowPanel();
  ASSERT_TRUE(ClickFile("001.BCK"));
  const std::string before = registry.Dump();
  ASSERT_TRUE(host->Click("cmdRestore"));
  ASSERT_EQ(dialogs.shown.size(), 2u);
  EXPECT_EQ(dialogs.shown[1].text, "This backup file was taken from another operating system!!");
  EXPECT_EQ(dialogs.shown[1].title, "Zephyrnet");
  EXPECT_EQ(dialogs.shown[1].flags, kMbOk | kMbIconError);
  EXPECT_EQ(registry.Dump(), before);
  EXPECT_FALSE(MovieToldHome());
  EXPECT_FALSE(program->mainWindow().MovieInFront());
}

TEST_F(BackupManager, RefusedRegistryWritesAreToldAfterTheRestore) {
  Start(kVerPlatformWin32Windows, 4, 10);
  registry.PutString(kHKeyCurrentUser, layout::kInternetSettings9xKey, "MaxConnectionsPerServer",
                     "4");
  WriteBackup("001.BCK", {2026, 3, 9, 9, 0, 0}, kOsWindows98);
  registry.DenyWrites(kHKeyLocalMachine, "System");
  ShowPanel();
  ASSERT_TRUE(ClickFile("001.BCK"));
  ASSERT_TRUE(host->Click("cmdRestore"));
  ASSERT_EQ(dialogs.shown.size(), 2u);
  EXPECT_EQ(dialogs.shown[1].text.rfind("5 values of 001.BCK could not be written", 0), 0u)
      << dialogs.shown[1].text;
  EXPECT_TRUE(registry.Get(kHKeyCurrentUser, layout::kInternetSettings9xKey,
                           "MaxConnectionsPerServer"));
  EXPECT_TRUE(MovieToldHome());
}

}  // namespace
}  // namespace zephyr::testing
