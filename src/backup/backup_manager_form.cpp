#include "backup/backup_manager_form.h"

#include <set>
#include <tuple>

#include "backup/backup_file.h"
#include "backup/backup_list_index.h"
#include "backup/earlier_values.h"
#include "backup/change_list_form.h"
#include "backup/reg_export.h"
#include "backup/restore.h"
#include "backup/value_changes.h"

namespace zephyr {
namespace {

constexpr int kDateColumn = 2;
constexpr char kRegistryNow[] = "Registry now";
constexpr int kTimeColumn = 3;

// What the date sort compares: the day for the date column, the time of day for the time column.
std::tuple<int, int, int> SortValue(const std::optional<LocalDateTime>& taken, int column) {
  if (!taken) return {0, 0, 0};
  if (column == kTimeColumn) return {taken->hour, taken->minute, taken->second};
  return {taken->year, taken->month, taken->day};
}

// The item text of a file: its base name and ".BCK".
std::string ItemTextOf(std::string_view file) {
  const std::string_view name = FileNameOf(file);
  return std::string(name.substr(0, name.find_last_of('.'))) + std::string(kBackupExtension);
}

// When the backup in `file` was taken; nothing when the file is empty, damaged or unreadable.
std::optional<LocalDateTime> TakenOf(FileSystemPort& files, const std::string& file) {
  const BackupReadResult read = ReadBackupFile(files, file);
  if (!read.ok()) return std::nullopt;
  return read.backup->taken;
}

}  // namespace

BackupManagerForm::BackupManagerForm(BackupManagerServices& program)
    : ui::Form({.name = "frmBackUp", .caption = "Backup Manager",
                .bounds = {0, 0, ui::kPanelFrameWidth, 246}}),
      program_(program) {
  lstBackUpList.ColumnClick.Connect(this, &BackupManagerForm::lstBackUpList_ColumnClick);
  lstBackUpList.MouseUp.Connect(this, &BackupManagerForm::lstBackUpList_MouseUp);
  cmdRestore.Click.Connect(this, &BackupManagerForm::cmdRestore_Click);
  cmdDelete.Click.Connect(this, &BackupManagerForm::cmdDelete_Click);
  cmdExport.Click.Connect(this, &BackupManagerForm::cmdExport_Click);
  cmdCompare.Click.Connect(this, &BackupManagerForm::cmdCompare_Click);
}

void BackupManagerForm::Form_Load() { SetButtonsEnabled(); }

void BackupManagerForm::SetButtonsEnabled() {
  const bool selected = lstBackUpList.SelectedIndex().has_value();
  cmdRestore.SetEnabled(selected);
  cmdDelete.SetEnabled(selected);
  cmdExport.SetEnabled(selected);
  cmdCompare.SetEnabled(selected);
}

void BackupManagerForm::intializeList() {
  lstBackUpList.ClearItems();
  listed_.clear();
  SetButtonsEnabled();
  // The folder new backups go to first, then the other place, where earlier ones may be.
  for (const std::string& folder : program_.BackupFolders()) ListFolder(folder);
  // The choice of what to compare with survives the rebuild while it is still there.
  const std::string chosen = cmbCompareWith.Text();
  cmbCompareWith.Clear();
  cmbCompareWith.AddItem(kRegistryNow);
  int index = 0;
  for (std::size_t i = 0; i < lstBackUpList.ItemCount(); ++i) {
    cmbCompareWith.AddItem(lstBackUpList.Item(i).Text());
    if (lstBackUpList.Item(i).Text() == chosen) index = static_cast<int>(i) + 1;
  }
  cmbCompareWith.SetListIndex(index);
}

void BackupManagerForm::ListFolder(const std::string& folder) {
  FileSystemPort& files = program_.Files();
  if (!files.IsFolder(folder)) {
    files.CreateFolder(folder);
    return;
  }
  std::vector<FolderEntry> entries;
  const FileStatus listed = files.ListFolder(folder, entries);
  // Only the files that changed since the last listing are read; the index has the others.
  BackupListIndex index = BackupListIndex::Load(files, folder);
  std::set<std::string> present;
  for (const FolderEntry& entry : entries) {
    if (entry.isFolder || !IsBackupFileName(entry.name)) continue;
    present.insert(entry.name);
    // The numbering is shared, so a name seen twice is a copy: the first place's file stands.
    if (listed_.count(ItemTextOf(entry.name)) != 0) continue;
    const std::string file = JoinPath(folder, entry.name);
    const BackupFileStamp stamp = StampOf(entry);
    if (const IndexedBackup* known = index.Find(entry.name, stamp)) {
      AddBackupItem(file, known->taken);
    } else {
      const std::optional<LocalDateTime> taken = TakenOf(files, file);
      AddBackupItem(file, taken);
      index.Put(entry.name, {stamp, taken});
    }
  }
  // A listing cut short by an error would make the index forget files that are still there.
  if (listed != kFileOk) return;
  index.KeepOnly(present);
  // Only a cache: a folder that cannot take it is listed all the same, just more slowly.
  index.SaveIfChanged(files, folder);
}

void BackupManagerForm::AddBackupItem(const std::string& file) {
  AddBackupItem(file, TakenOf(program_.Files(), file));
}

void BackupManagerForm::AddBackupItem(const std::string& file,
                                      const std::optional<LocalDateTime>& taken) {
  const std::string text = ItemTextOf(file);
  std::string date;
  std::string time;
  if (taken) {
    LocalePort& locale = program_.Locale();
    date = locale.FormatShortDate(*taken);
    time = locale.FormatShortTime(*taken);
  }
  listed_.insert_or_assign(text, ListedFile{file, taken});
  lstBackUpList.AddItem(text, {std::move(date), std::move(time)});
}

int BackupManagerForm::CompareListItems(const ui::ListItem& first,
                                        const ui::ListItem& second) const {
  const auto valueOf = [this](const ui::ListItem& item) {
    const auto found = listed_.find(item.Text());
    return SortValue(found != listed_.end() ? found->second.taken : std::nullopt, sortColumn_);
  };
  auto a = valueOf(first);
  auto b = valueOf(second);
  if (sortDirection_ == 1) std::swap(a, b);
  if (a < b) return -1;
  return a == b ? 0 : 1;
}

void BackupManagerForm::lstBackUpList_ColumnClick(ui::ColumnHeader& column) {
  // Each column keeps its direction in its tag; a click on another column starts ascending.
  if (column.Tag() != "ASC") {
    sortDirection_ = 0;
    column.SetTag("ASC");
  } else {
    sortDirection_ = 1;
    column.SetTag("DESC");
  }
  for (int index = 1; index <= lstBackUpList.ColumnCount(); ++index) {
    if (index != column.Index()) lstBackUpList.Column(index).SetTag("");
  }
  if (column.Text() == "File Name") {
    lstBackUpList.SetSortOrder(sortDirection_ == 0 ? ui::SortOrder::kAscending
                                                   : ui::SortOrder::kDescending);
    lstBackUpList.SetSortKey(column.Index() - 1);
    lstBackUpList.SetSorted(true);
  } else if (column.Text() == "Creating Date" || column.Text() == "Creating Time") {
    lstBackUpList.SetSorted(false);
    sortColumn_ = column.Text() == "Creating Date" ? kDateColumn : kTimeColumn;
    lstBackUpList.SortItems([this](const ui::ListItem& first, const ui::ListItem& second) {
      return CompareListItems(first, second);
    });
  }
  SetButtonsEnabled();
}

void BackupManagerForm::lstBackUpList_MouseUp() { SetButtonsEnabled(); }

const BackupManagerForm::ListedFile* BackupManagerForm::SelectedFile() const {
  const ui::ListItem* item = lstBackUpList.SelectedItem();
  if (item == nullptr) return nullptr;
  const auto found = listed_.find(item->Text());
  return found != listed_.end() ? &found->second : nullptr;
}

void BackupManagerForm::cmdDelete_Click() {
  const ListedFile* selected = SelectedFile();
  if (selected == nullptr) return;
  const std::string name = lstBackUpList.SelectedItem()->Text();
  const std::string file = selected->file;
  if (program_.Message(kDeleteQuestion, kMbYesNo | kMbIconWarning) != kIdYes) return;
  FileSystemPort& files = program_.Files();
  if (const FileStatus status = files.RemoveFile(file); status != kFileOk) {
    program_.Message("The backup file " + name + " could not be deleted (" +
                         DescribeFileStatus(status) + ").",
                     kMbOk | kMbIconError);
  } else {
    // Its record of earlier values goes with it; a backup without one has none to remove.
    files.RemoveFile(EarlierValuesPath(file));
  }
  intializeList();
  SetButtonsEnabled();
}

void BackupManagerForm::cmdRestore_Click() {
  const ListedFile* selected = SelectedFile();
  if (selected == nullptr) return;
  const std::string name = lstBackUpList.SelectedItem()->Text();
  if (program_.Message(kRestoreQuestion, kMbYesNo | kMbIconWarning) != kIdYes) return;
  const RestoreResult result =
      RestoreBackup(program_.Registry(), program_.Files(), program_.os().code,
                    selected->file);
  switch (result.outcome) {
    case RestoreResult::Outcome::kOtherSystem:
      // Nothing happened, so the user stays on the list.
      program_.Message(kOtherOperatingSystemMessage, kMbOk | kMbIconError);
      return;
    case RestoreResult::Outcome::kRefused:
      program_.Message("The backup file " + name + " is damaged, so it was not restored (" +
                           result.reason + "). Nothing was changed.",
                       kMbOk | kMbIconError);
      break;
    case RestoreResult::Outcome::kRestored: {
      std::string told;
      if (result.failedWrites > 0) {
        const std::string count = result.failedWrites == 1
                                      ? "1 value"
                                      : std::to_string(result.failedWrites) + " values";
        told = count + " of " + name +
               " could not be written to the registry. Administrator rights are needed: start "
               "Zephyrnet as an administrator and restore it again.\r\n\r\n";
      }
      if (result.skippedGroups > 0) {
        const bool one = result.skippedGroups == 1;
        told += (one ? std::string("1 network adapter group") :
                       std::to_string(result.skippedGroups) + " network adapter groups") +
                " of " + name + (one ? " was skipped: it names" : " were skipped: they name") +
                " network adapter keys that are not on this system now, or come after the "
                "first " + std::to_string(kMostAdapterGroups) + " such groups.\r\n\r\n";
      }
      if (!told.empty()) {
        program_.Message(told + "All other values were restored.", kMbOk | kMbIconWarning);
      }
      break;
    }
  }
  program_.ReturnMovieHome();
}

void BackupManagerForm::cmdExport_Click() {
  const ListedFile* selected = SelectedFile();
  if (selected == nullptr) return;
  const std::string name = lstBackUpList.SelectedItem()->Text();
  FileSystemPort& files = program_.Files();
  const LoadedBackup loaded = LoadBackup(files, selected->file);
  RegExport exported;
  if (loaded.ok()) {
    exported = ExportBackupAsRegFile(*loaded.backup, loaded.record());
  } else {
    exported.reason = loaded.reason;
  }
  if (!exported.ok()) {
    program_.Message("The backup file " + name + " cannot be exported (" + exported.reason +
                         "). Nothing was written.",
                     kMbOk | kMbIconError);
    return;
  }
  const std::string path = RegFilePath(selected->file);
  if (const FileStatus status = files.WriteWholeFile(path, exported.text, Publish::kReplace);
      status != kFileOk) {
    program_.Message("The registry file \"" + path + "\" could not be written (" +
                         DescribeFileStatus(status) + ").",
                     kMbOk | kMbIconError);
    return;
  }
  program_.Message("The backup " + name + " was saved as the registry file \"" + path +
                       "\". Opening it with the Registry Editor on another computer puts these "
                       "values there; the Help says on which Windows versions it removes the "
                       "values the backup records as absent.",
                   kMbOk | kMbIconInformation);
}

void BackupManagerForm::cmdCompare_Click() {
  const ListedFile* selected = SelectedFile();
  if (selected == nullptr) return;
  const std::string name = lstBackUpList.SelectedItem()->Text();
  FileSystemPort& files = program_.Files();
  // Each side as a restore of it would leave the registry.
  const auto restored = [&files](const std::string& file, RestoredValues& values) {
    const LoadedBackup loaded = LoadBackup(files, file);
    if (!loaded.ok()) {
      values.reason = loaded.reason;
      return;
    }
    values = PlanRestoredValues(*loaded.backup, loaded.backup->osCode, loaded.record());
  };
  const auto refuse = [this](const std::string& which, const std::string& reason) {
    program_.Message("The backup file " + which + " cannot be compared (" + reason + ").",
                     kMbOk | kMbIconError);
  };
  RestoredValues first;
  restored(selected->file, first);
  if (!first.ok()) return refuse(name, first.reason);

  const std::string other = cmbCompareWith.Text();
  ChangeListArgs args{.name = kCompareFormName,
                      .firstAbsent = std::string(kNotSetText),
                      .secondAbsent = std::string(kNotSetText)};
  std::vector<ValueChange> changes;
  if (other.empty() || other == kRegistryNow) {
    changes = CompareWithRegistry(first.values, program_.Registry());
    args.caption = "Zephyrnet - " + name + " and the registry now";
    args.firstHeading = "Now";
    args.secondHeading = name;
    args.summary = changes.empty()
                       ? "The registry holds every value of " + name + " now."
                       : std::to_string(changes.size()) +
                             (changes.size() == 1 ? " value differs" : " values differ") +
                             ": a restore of " + name + " would change " +
                             (changes.size() == 1 ? "it" : "them") + " as shown.";
  } else {
    const auto found = listed_.find(other);
    if (found == listed_.end()) return refuse(other, "it is no longer listed");
    RestoredValues second;
    restored(found->second.file, second);
    if (!second.ok()) return refuse(other, second.reason);
    changes = CompareRestoredValues(first.values, second.values);
    args.caption = "Zephyrnet - " + name + " and " + other;
    args.firstHeading = name;
    args.secondHeading = other;
    args.summary = changes.empty() ? name + " and " + other + " hold the same values."
                                   : std::to_string(changes.size()) +
                                         (changes.size() == 1 ? " value differs" : " values differ") +
                                         " between " + name + " and " + other + ".";
  }
  args.cancel = [this] { program_.CloseDialog(); };
  program_.OpenDialog(std::make_unique<ChangeListForm>(std::move(args), changes));
}

}  // namespace zephyr
