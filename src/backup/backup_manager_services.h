// What the backup manager needs of the program: the registry it restores into, the files and
// folders of the backups, the user's date format, message boxes and the program's own dialogs.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/dialog_port.h"
#include "platform/file_system_port.h"
#include "platform/locale_port.h"
#include "platform/os_version.h"
#include "platform/registry_port.h"
#include "ui/form_model.h"

namespace zephyr {

class BackupManagerServices {
 public:
  virtual RegistryPort& Registry() = 0;
  virtual FileSystemPort& Files() = 0;
  virtual LocalePort& Locale() = 0;
  virtual OsIdentity os() const = 0;
  // Every backup folder there is, the one new backups go to first.
  virtual std::vector<std::string> BackupFolders() const = 0;
  // A plain message box with the program's title.
  virtual int Message(const std::string& text, std::uint32_t flags = kMbOk) = 0;
  // A form of the program's own above the main window, until CloseDialog.
  virtual void OpenDialog(std::unique_ptr<ui::Form> dialog) = 0;
  virtual void CloseDialog() = 0;
  virtual void ReturnMovieHome() = 0;

 protected:
  ~BackupManagerServices() = default;
};

// A panel whose backup list is rebuilt before it is shown.
class BackupListPanel {
 public:
  virtual ~BackupListPanel() = default;
  virtual void intializeList() = 0;
};

}  // namespace zephyr
