#include "app/main_settings_form.h"

#include <charconv>

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

void MainSettingsForm::SaveMainSettings() {
  RegistryPort& registry = program_.ports().registry;
  for (const ui::CheckBox* box : {&chkRunMainProgram, &chkRunProgramMini}) {
    SaveMachineSetting(registry, SettingsKey(), box->Name(), box->Value());
  }
  if (chkRunMainProgram.Value() == ui::kChecked) {
    WriteRunEntry();
  } else {
    SetRegistryValue(registry, kHKeyCurrentUser, kRunKey, kRunValueName, kRegSz, "", true);
  }
}

void MainSettingsForm::WriteRunEntry() {
  SetRegistryValue(program_.ports().registry, kHKeyCurrentUser, kRunKey, kRunValueName, kRegSz,
                   program_.RunEntry(), false);
}

void MainSettingsForm::SetSettingsDirty(bool dirty) {
  dirty_ = dirty;
  cmdSave.SetEnabled(dirty);
}

void MainSettingsForm::chkRunMainProgram_Click() { SetSettingsDirty(true); }
void MainSettingsForm::chkRunProgramMini_Click() { SetSettingsDirty(true); }

void MainSettingsForm::cmdSave_Click() {
  SaveMainSettings();
  SetSettingsDirty(false);
}

}  // namespace zephyr
