// frmBackUp: the backup manager. Lists the backup files with the date and time each was taken,
// sorts them by any column, restores the values of the chosen file and deletes files.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "backup/backup_manager_services.h"
#include "platform/clock_port.h"
#include "ui/controls.h"
#include "ui/form_model.h"

namespace zephyr {

class BackupManagerServices;

inline constexpr char kDeleteQuestion[] = "Do you want to delete this file?";
inline constexpr char kRestoreQuestion[] = "Do you want to restore this settings?";

class BackupManagerForm : public ui::Form, public BackupListPanel {
 public:
  explicit BackupManagerForm(BackupManagerServices& program);

  ui::Frame frameBackUp{*this, {.name = "frameBackUp", .caption = "Backup",
                                .bounds = {8, 4, 424, 236}}};
  ui::ListView lstBackUpList{*this, {.name = "lstBackUpList",
                                     .container = &frameBackUp,
                                     .bounds = {12, 20, 400, 168},
                                     .columns = {{.text = "File Name", .width = 120},
                                                 {.text = "Creating Date", .width = 136},
                                                 {.text = "Creating Time", .width = 136}}}};
  // What the chosen backup is compared with: the registry now, or another backup.
  ui::ComboBox cmbCompareWith{*this, {.name = "cmbCompareWith", .container = &frameBackUp,
                                      .bounds = {12, 201, 112, 120},
                                      .toolTipText = "What Compare compares the chosen backup with",
                                      .style = ui::ComboStyle::kDropdownList}};
  ui::CommandButton cmdCompare{*this, {.name = "cmdCompare", .container = &frameBackUp,
                                       .caption = "Co&mpare", .bounds = {128, 198, 68, 28}}};
  ui::CommandButton cmdExport{*this, {.name = "cmdExport", .container = &frameBackUp,
                                      .caption = "E&xport", .bounds = {200, 198, 68, 28},
                                      .toolTipText = "Save the chosen backup as a registry file"}};
  ui::CommandButton cmdRestore{*this, {.name = "cmdRestore", .container = &frameBackUp,
                                       .caption = "Restore", .bounds = {272, 198, 68, 28}}};
  ui::CommandButton cmdDelete{*this, {.name = "cmdDelete", .container = &frameBackUp,
                                      .caption = "Delete", .bounds = {344, 198, 68, 28}}};

  // Rebuilds the list from the backup folder, creating the folder when it is missing.
  void intializeList() override;
  // Adds the item of one backup file. A file whose date and time cannot be read (empty or
  // damaged) is listed with neither, so the user can still see and delete it.
  void AddBackupItem(const std::string& file);
  // The same with what is already known of the file: when it was taken, or nothing.
  void AddBackupItem(const std::string& file, const std::optional<LocalDateTime>& taken);
  // The date sort's comparison (column 2 by date, column 3 by time of day) of the values the
  // files hold, not their texts: -1, 0 or 1. An unreadable date or time counts as the earliest.
  int CompareListItems(const ui::ListItem& first, const ui::ListItem& second) const;

 private:
  // Adds the backups of one folder (created when missing), through its index.
  void ListFolder(const std::string& folder);
  struct ListedFile {
    std::string file;
    std::optional<LocalDateTime> taken;
  };

  void Form_Load() override;
  void lstBackUpList_ColumnClick(ui::ColumnHeader& column);
  void lstBackUpList_MouseUp();
  void cmdRestore_Click();
  void cmdDelete_Click();
  void cmdExport_Click();
  void cmdCompare_Click();

  // The one place that decides the buttons: both act on the selected file, so both need one.
  void SetButtonsEnabled();
  // The listed file of the selected item; null when nothing is selected.
  const ListedFile* SelectedFile() const;

  BackupManagerServices& program_;
  // The files behind the items, by item text (file names are unique in the folder).
  std::map<std::string, ListedFile> listed_;
  int sortColumn_ = 2;     // 1-based column the date sort compares
  int sortDirection_ = 0;  // 0 ascending, 1 descending
};

}  // namespace zephyr
