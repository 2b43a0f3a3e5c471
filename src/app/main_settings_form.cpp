#include "app/main_settings_form.h"

#include <charconv>
#include <optional>
#include <vector>

#include "app/main_window.h"
#include "platform/registry.h"

namespace zephyr {

int CheckBoxValueOf(const std::string& stored) {
  int value = 0;
  const auto [end, error] = std::from_chars(stored.data(), stored.data() + stored.size(), value);
  if (error != std::errc() || end != stored.data() + stored.size()) return ui::kUnchecked;
  return value >= ui::kUnchecked && value <= ui::kGrayed ? value : ui::kUnchecked;
}

MainSettingsForm::MainSettingsForm(Program& program)
    : ui::Form({.name = "frmMainSettings", .caption = "Main Settings",
                .bounds = {0, 0, kPanelFrameWidth, 245}}),
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
  RegistryPort& registry = program_.ports().registry;
  for (ui::CheckBox* box : {&chkRunMainProgram, &chkRunProgramMini}) {
    box->SetValue(CheckBoxValueOf(GetMachineSetting(registry, SettingsKey(), box->Name(), "0")));
  }
  // The entry follows the program when its folder has changed since it was saved.
  if (chkRunMainProgram.Value() == ui::kChecked) WriteRunEntry();
}

bool MainSettingsForm::SaveMainSettings() {
  RegistryPort& registry = program_.ports().registry;
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
    const RegStatus status =
        chkRunMainProgram.Value() == ui::kChecked
            ? WriteRunEntry()
            : SetRegistryValue(registry, kHKeyCurrentUser, kRunKey, kRunValueName, kRegSz, "",
                               true);
    saved = status == kErrorSuccess || status == kErrorFileNotFound;
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

RegStatus MainSettingsForm::WriteRunEntry() {
  return SetRegistryValue(program_.ports().registry, kHKeyCurrentUser, kRunKey, kRunValueName,
                          kRegSz, program_.RunEntry(), false);
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
  program_.Message(kSettingsNotSavedMessage, kMbOk | kMbIconWarning);
  SetSettingsDirty(true);
}

}  // namespace zephyr
