// frmMainSettings: whether Windows starts the program at log-on, and whether it starts hidden in
// the tray. The values live under the settings key, named like the check boxes; the log-on entry
// lives under the current user's Run key.
#pragma once

#include <string>

#include "platform/registry_port.h"
#include "ui/controls.h"
#include "ui/form_model.h"
#include "ui/stored_values.h"

namespace zephyr {

class MainSettingsServices;

inline constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char kRunValueName[] = "Zephyrnet";
inline constexpr char kSettingsNotSavedMessage[] =
    "The main settings could not be saved to the registry. Administrator rights are needed to "
    "change them: start Zephyrnet as an administrator and save them again.";
inline constexpr char kLogonTaskNotSavedMessage[] =
    "Windows' Task Scheduler did not take the task that starts Zephyrnet when you log on, so the "
    "main settings were not saved. ";

class MainSettingsForm : public ui::Form {
 public:
  explicit MainSettingsForm(MainSettingsServices& program);

  ui::Frame frameStartup{*this, {.name = "frameStartup", .caption = "When Windows starts",
                                 .bounds = {12, 8, 416, 112}}};
  ui::CheckBox chkRunMainProgram{*this, {.name = "chkRunMainProgram",
                                         .container = &frameStartup,
                                         .caption = "Run Main Program when windows start up",
                                         .bounds = {16, 28, 384, 22}}};
  ui::CheckBox chkRunProgramMini{*this, {.name = "chkRunProgramMini",
                                         .container = &frameStartup,
                                         .caption = "Run Program In system tray",
                                         .bounds = {16, 64, 384, 22}}};
  // The Run entry is read at log-on; the tray setting when the program starts, however started.
  ui::Label lblHint{*this, {.name = "lblHint",
                            .caption = "A change to the start-up entry takes effect at your next "
                                       "log-on to Windows; the system tray setting, the next "
                                       "time Zephyrnet starts.",
                            .bounds = {12, 132, 416, 36}}};
  ui::CommandButton cmdSave{*this, {.name = "cmdSave", .caption = "&Save",
                                    .bounds = {332, 200, 96, 28}}};

  bool Dirty() const { return dirty_; }

 private:
  void Form_Load() override;
  void chkRunMainProgram_Click();
  void chkRunProgramMini_Click();
  void cmdSave_Click();

  void LoadMainSettings();
  // Writes both values and the Run entry, or puts back what was stored: true when all was written.
  bool SaveMainSettings();
  // Puts the start at log-on in place: the log-on task where Windows needs it (the Run entry then
  // goes), the Run entry everywhere else (and this user's task, if any, goes). False, with
  // `taskError_` set when the scheduler was the reason, when it could not be done.
  bool WriteStartEntry();
  // Removes the Run entry and this user's log-on task.
  bool RemoveStartEntry();
  // The one place that decides whether Save is enabled.
  void SetSettingsDirty(bool dirty);
  std::string SettingsKey() const;

  MainSettingsServices& program_;
  bool dirty_ = false;
  std::string taskError_;
};

}  // namespace zephyr
