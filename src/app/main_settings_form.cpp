#include "app/main_settings_form.h"

#include <charconv>
#include <optional>
#include <vector>

#include "app/main_settings_services.h"
#include "platform/registry.h"

namespace zephyr {

MainSettingsForm::MainSettingsForm(MainSettingsServices& program)
    : ui::Form({.name = "frmMainSettings", .caption = "Main Settings",
                .bounds = {0, 0, ui::kPanelFrameWidth, 245}}),
      program_(program) {
  chkRunMainProgram.Click.Connect(this, &MainSettingsForm::chkRunMainProgram_Click);
  chkRunProgramMini.Click.Connect(this, &MainSettingsForm::chkRunProgramMini_Click);
  cmdSave.Click.Connect(this, &MainSettingsForm::cmdSave_Click);
}

std::string MainSettingsForm::SettingsKey() const {
  return std::string(kSettingsRootKey) + std::string(kMainSettingsSubkey);
}

void MainSettingsForm::Form_Load() {
  LoadMainSettings();
  // Loading the boxes raised their clicks; a freshly loaded panel has nothing to save.
  SetSettingsDirty(false);
}

void MainSettingsForm::LoadMainSettings() {
  RegistryPort& registry = program_.Registry();
  for (ui::CheckBox* box : {&chkRunMainProgram, &chkRunProgramMini}) {
    box->SetValue(CheckBoxValueOf(GetMachineSetting(registry, SettingsKey(), box->Name(), "0")));
  }
  // The entry follows the program when its folder has changed since it was saved.
  if (chkRunMainProgram.Value() == ui::kChecked) WriteStartEntry();
}

bool MainSettingsForm::SaveMainSettings() {
  RegistryPort& registry = program_.Registry();
  const std::string key = SettingsKey();
  struct Written {
    std::string name;
    std::optional<std::string> before;
  };
  std::vector<Written> written;
  bool saved = true;
  for (const ui::CheckBox* box : {&chkRunMainProgram, &chkRunProgramMini}) {
    std::optional<std::string> before =
        QuerySettingString(registry, kHKeyLocalMachine, key, box->Name());
    if (SaveMachineSetting(registry, key, box->Name(), box->Value()) != kErrorSuccess) {
      saved = false;
      break;
    }
    written.push_back({box->Name(), std::move(before)});
  }
  if (saved) {
    saved = chkRunMainProgram.Value() == ui::kChecked ? WriteStartEntry() : RemoveStartEntry();
  }
  if (!saved) {
    // What was stored goes back, so the stored setting and the Run entry never disagree.
    for (const Written& value : written) {
      if (value.before) {
        SaveMachineSetting(registry, key, value.name, *value.before);
      } else {
        SetRegistryValue(registry, kHKeyLocalMachine, key, value.name, kRegSz, "", true);
      }
    }
  }
  return saved;
}

namespace {

bool RunEntryRemoved(RegistryPort& registry) {
  const RegStatus status =
      SetRegistryValue(registry, kHKeyCurrentUser, kRunKey, kRunValueName, kRegSz, "", true);
  return status == kErrorSuccess || status == kErrorFileNotFound;
}

// A task that is not there, or a system without the scheduler, leaves nothing to remove.
bool TaskGone(const TaskResult& result) {
  return result.outcome != TaskResult::Outcome::kFailed;
}

}  // namespace

bool MainSettingsForm::WriteStartEntry() {
  RegistryPort& registry = program_.Registry();
  SchedulerPort& scheduler = program_.Scheduler();
  taskError_.clear();
  const std::string user = scheduler.CurrentUser();
  if (scheduler.NeedsLogonTask()) {
    const TaskResult task =
        scheduler.RegisterLogonTask(LogonTaskName(user), user, program_.ExePath());
    if (task.outcome != TaskResult::Outcome::kDone) {
      taskError_ = task.reason.empty() ? "The Task Scheduler cannot be reached." : task.reason;
      return false;
    }
    // Windows would not start the elevated program from it; a stale one only misleads.
    return RunEntryRemoved(registry);
  }
  const RegStatus status = SetRegistryValue(registry, kHKeyCurrentUser, kRunKey, kRunValueName,
                                            kRegSz, program_.RunEntry(), false);
  if (status != kErrorSuccess) return false;
  if (!user.empty()) scheduler.DeleteTask(LogonTaskName(user));
  return true;
}

bool MainSettingsForm::RemoveStartEntry() {
  SchedulerPort& scheduler = program_.Scheduler();
  taskError_.clear();
  bool removed = RunEntryRemoved(program_.Registry());
  const std::string user = scheduler.CurrentUser();
  if (!user.empty()) {
    const TaskResult task = scheduler.DeleteTask(LogonTaskName(user));
    // A task left behind would go on starting the program; only an elevated program can say.
    if (!TaskGone(task) && scheduler.NeedsLogonTask()) {
      taskError_ = task.reason;
      removed = false;
    }
  }
  return removed;
}

void MainSettingsForm::SetSettingsDirty(bool dirty) {
  dirty_ = dirty;
  cmdSave.SetEnabled(dirty);
}

void MainSettingsForm::chkRunMainProgram_Click() { SetSettingsDirty(true); }
void MainSettingsForm::chkRunProgramMini_Click() { SetSettingsDirty(true); }

void MainSettingsForm::cmdSave_Click() {
  if (SaveMainSettings()) {
    SetSettingsDirty(false);
    return;
  }
  // Nothing was saved: the changes stay in the boxes, Save stays enabled for another try.
  program_.Message(taskError_.empty() ? std::string(kSettingsNotSavedMessage)
                                      : kLogonTaskNotSavedMessage + taskError_,
                   kMbOk | kMbIconWarning);
  SetSettingsDirty(true);
}

}  // namespace zephyr
