#include "memory/ram_configuration_form.h"

#include <algorithm>
#include <cmath>

#include "memory/free_ram.h"
#include "memory/ram_configuration_services.h"
#include "platform/file_system_port.h"
#include "platform/registry.h"
#include "ui/stored_values.h"

namespace zephyr {
namespace {

// A stored number for a box bound to an up-down: pulled into the up-down's range; nothing when
// it is not a number.
std::optional<int> StoredSpinValueOf(std::string_view stored, const ui::UpDown& upDown) {
  const auto number = NumberOf(stored);
  if (!number) return std::nullopt;
  return static_cast<int>(std::clamp<std::int64_t>(RoundToEven(*number), upDown.Min(),
                                                   upDown.Max()));
}

}  // namespace

std::optional<int> StoredAmountOf(std::string_view stored, int largest) {
  const auto number = NumberOf(stored);
  if (!number || *number < 0) return std::nullopt;
  const std::int64_t whole = RoundToEven(*number);
  if (whole > largest) return std::nullopt;
  return static_cast<int>(whole);
}

RamConfigurationForm::RamConfigurationForm(RamConfigurationServices& program)
    : ui::Form({.name = "frmRamConfiguration", .caption = "Ram Configuration",
                .bounds = {0, 0, ui::kPanelFrameWidth, 255}}),
      program_(program) {
  txtAlarm.Change.Connect(this, &RamConfigurationForm::txtAlarm_Change);
  txtFreeAlarm.Change.Connect(this, &RamConfigurationForm::txtFreeAlarm_Change);
  chkSoundon.Click.Connect(this, &RamConfigurationForm::chkSoundon_Click);
  chkAutomatic.Click.Connect(this, &RamConfigurationForm::chkAutomatic_Click);
  optMB.Click.Connect(this, &RamConfigurationForm::optMB_Click);
  optPer.Click.Connect(this, &RamConfigurationForm::optPer_Click);
  updnTimeCheck.Change.Connect(this, &RamConfigurationForm::updnTimeCheck_Change);
  UpDownRetryOptimization.Change.Connect(this,
                                         &RamConfigurationForm::UpDownRetryOptimization_Change);
  UpDownRunOnly.Change.Connect(this, &RamConfigurationForm::UpDownRunOnly_Change);
  cmdSave.Click.Connect(this, &RamConfigurationForm::cmdSave_Click);
  tmrAlarm.Tick.Connect(this, &RamConfigurationForm::tmrAlarm_Timer);
  tmrSoundPlayer.Tick.Connect(this, &RamConfigurationForm::tmrSoundPlayer_Timer);
}

std::string RamConfigurationForm::SettingsKey() const {
  return std::string(kSettingsRootKey) + std::string(kRamSettingsSubkey);
}

void RamConfigurationForm::Form_Load() {
  FreeRAM freeRam(program_.System(), program_.Pump(), program_.Shell());
  totalKilobytes_ = KilobytesOf(freeRam.GetTotalPhysical());
  LoadRamSettings();
}

void RamConfigurationForm::LoadRamSettings() {
  RegistryPort& registry = program_.Registry();
  const std::string key = SettingsKey();
  const auto stored = [&](const ui::Control& control, std::string_view fallback) {
    return GetMachineSetting(registry, key, control.Name(), fallback);
  };
  // Each value goes into its control, running its handler as a user's change would. A value
  // that does not convert loads as its default, one beyond an up-down's range as its nearest
  // end, so the panel always loads.
  chkSoundon.SetValue(CheckBoxValueOf(stored(chkSoundon, "0")));
  chkAutomatic.SetValue(CheckBoxValueOf(stored(chkAutomatic, "0")));
  txtAlarm.SetText(std::to_string(
      StoredAmountOf(stored(txtAlarm, "250"), kLargestAlarmLevel).value_or(250)));
  txtFreeAlarm.SetText(std::to_string(
      StoredAmountOf(stored(txtFreeAlarm, "10"), kLargestFreeAlarm).value_or(10)));
  updnTimeCheck.SetValue(StoredSpinValueOf(stored(txtTimeCheck, "100"), updnTimeCheck)
                             .value_or(kDefaultAlarmCheckInterval));
  optPer.SetValue(StoredBooleanOf(stored(optPer, "false")).value_or(false));
  optMB.SetValue(StoredBooleanOf(stored(optMB, "true")).value_or(true));
  // One unit is always chosen, so one pair of up-down limits is always in force.
  if (!optPer.Value() && !optMB.Value()) optMB.SetValue(true);
  UpDownRunOnly.SetValue(StoredSpinValueOf(stored(txtRunOnly, "2"), UpDownRunOnly).value_or(2));
  UpDownRetryOptimization.SetValue(
      StoredSpinValueOf(stored(txtRetryOptimization, "10"), UpDownRetryOptimization).value_or(10));

  alarmLevel_ = static_cast<std::int16_t>(StoredAmountOf(txtAlarm.Text(), kLargestAlarmLevel).value_or(250));
  freeAmount_ = static_cast<std::int16_t>(StoredAmountOf(txtFreeAlarm.Text(), kLargestFreeAlarm).value_or(10));
  TakeControlValues();
  SetChangesMade(false);
}

void RamConfigurationForm::TakeControlValues() {
  chkAutomatic_Click();
  chkSoundon_Click();
  tmrAlarm.SetInterval(updnTimeCheck.Value());
  cpuLimit_ = static_cast<std::uint8_t>(UpDownRunOnly.Value());
  retryCount_ = static_cast<std::uint8_t>(UpDownRetryOptimization.Value());
}

bool RamConfigurationForm::SaveRamSettings() {
  // A box bound to an up-down is stored as the up-down's value, which is what the alarm uses.
  for (ui::UpDown* upDown : {&updnTimeCheck, &UpDownRunOnly, &UpDownRetryOptimization}) {
    upDown->Buddy()->SetText(std::to_string(upDown->Value()));
  }
  RegistryPort& registry = program_.Registry();
  const std::string key = SettingsKey();
  const std::pair<const ui::Control*, RegistryValue> values[] = {
      {&chkSoundon, chkSoundon.Value()},
      {&chkAutomatic, chkAutomatic.Value()},
      {&txtAlarm, txtAlarm.Text()},
      {&txtFreeAlarm, txtFreeAlarm.Text()},
      {&txtTimeCheck, txtTimeCheck.Text()},
      {&optPer, optPer.Value()},
      {&optMB, optMB.Value()},
      {&txtRunOnly, txtRunOnly.Text()},
      {&txtRetryOptimization, txtRetryOptimization.Text()},
  };
  bool saved = true;
  for (const auto& [control, value] : values) {
    saved = SaveMachineSetting(registry, key, control->Name(), value) == kErrorSuccess && saved;
  }
  SetChangesMade(false);
  return saved;
}

void RamConfigurationForm::SetChangesMade(bool changed) {
  changesMade_ = changed;
  cmdSave.SetEnabled(changed);
}

void RamConfigurationForm::cmdSave_Click() {
  if (SaveRamSettings()) {
    // The saved values take effect at once, the check interval among them.
    LoadRamSettings();
    return;
  }
  // Reloading would throw the user's edits away: they take effect for this session, and the
  // user learns that the next start will not have them.
  alarmLevel_ = static_cast<std::int16_t>(StoredAmountOf(txtAlarm.Text(), kLargestAlarmLevel).value_or(alarmLevel_));
  freeAmount_ = static_cast<std::int16_t>(StoredAmountOf(txtFreeAlarm.Text(), kLargestFreeAlarm).value_or(freeAmount_));
  TakeControlValues();
  program_.Message(kRamNotSavedMessage, kMbOk | kMbIconWarning);
  SetChangesMade(true);
}

void RamConfigurationForm::txtAlarm_Change() {
  const auto number = NumberOf(txtAlarm.Text());
  if (!number || *number < 0) {
    txtAlarm.SetText(std::to_string(alarmLevel_));
  } else if (RoundToEven(*number) > kLargestAlarmLevel) {
    // Beyond what the alarm level can hold.
    txtAlarm.SetText(std::to_string(alarmLevel_));
  }
  SetChangesMade(true);
}

void RamConfigurationForm::txtFreeAlarm_Change() {
  const auto number = NumberOf(txtFreeAlarm.Text());
  if (!number || *number < 0 || *number > kLargestFreeAlarm) {
    txtFreeAlarm.SetText(std::to_string(freeAmount_));
  }
  SetChangesMade(true);
}

void RamConfigurationForm::chkSoundon_Click() {
  txtAlarm.SetEnabled(chkSoundon.Value() != ui::kUnchecked);
  SetChangesMade(true);
}

void RamConfigurationForm::chkAutomatic_Click() {
  const bool on = chkAutomatic.Value() != ui::kUnchecked;
  txtFreeAlarm.SetEnabled(on);
  txtTimeCheck.SetEnabled(on);
  updnTimeCheck.SetEnabled(on);
  SetChangesMade(true);
}

void RamConfigurationForm::SetUnitLimits(int largest) {
  for (ui::UpDown* upDown : {&UpDownRunOnly, &UpDownRetryOptimization}) {
    upDown->SetMin(0);
    upDown->SetMax(largest);
  }
}

void RamConfigurationForm::optMB_Click() {
  SetUnitLimits(kMegabyteUnitLimit);
  SetChangesMade(true);
}

void RamConfigurationForm::optPer_Click() {
  SetUnitLimits(kPercentUnitLimit);
  SetChangesMade(true);
}

void RamConfigurationForm::updnTimeCheck_Change() { SetChangesMade(true); }
void RamConfigurationForm::UpDownRetryOptimization_Change() { SetChangesMade(true); }
void RamConfigurationForm::UpDownRunOnly_Change() { SetChangesMade(true); }

RamConfigurationForm::~RamConfigurationForm() { *alive_ = false; }

bool RamConfigurationForm::LetEventsRun(int times) {
  return zephyr::LetEventsRun(program_.Pump(), times, alive_);
}

void RamConfigurationForm::tmrAlarm_Timer() {
  if (freeing_) return;
  FreeRAM freeRam(program_.System(), program_.Pump(), program_.Shell());
  const std::uint64_t freeBytes = freeRam.GetFreePhysical();
  const std::int64_t freeKilobytes = KilobytesOf(freeBytes);
  freeMegabytes_ = MegabytesOf(freeKilobytes);
  freePercent_ = totalKilobytes_ > 0
                     ? static_cast<int>(RoundToEven(static_cast<double>(freeKilobytes) /
                                                      static_cast<double>(totalKilobytes_) * 100))
                     : 0;

  playSound_ = false;
  // Both comparisons are strict: memory exactly at the alarm level is not low.
  if (MegabytesUnrounded(freeBytes) < alarmLevel_ && chkSoundon.Value() == ui::kChecked) {
    playSound_ = true;
  }
  if (chkAutomatic.Value() != ui::kChecked) return;
  const std::uint64_t before = freeRam.GetFreePhysical();
  if (!(MegabytesUnrounded(before) < alarmLevel_)) return;

  freeing_ = true;
  if (!LetEventsRun(kAlarmYields)) return;
  const std::int64_t megabytes =
      std::clamp<std::int64_t>(RoundToEven(NumberOf(txtFreeAlarm.Text()).value_or(freeAmount_)),
                               0, kLargestFreeAlarm);
  const std::int64_t byteCount = megabytes * 1048576;
  // The sampler is asked on every evaluation, also without a limit, as its interval restarts.
  const std::int32_t busy = program_.ProcessorBusy();
  if (cpuLimit_ == 0 || cpuLimit_ > busy) {
    if (retryCount_ == 0) retryCount_ = 1;
    for (int pass = 0; pass < retryCount_; ++pass) {
      if (!LetEventsRun(kAlarmYields)) return;
      freeRam.FreeUpMemory(byteCount);
      if (!LetEventsRun(kAlarmYields)) return;
    }
    program_.ReportFreeing(FreeingKind::kAutomatic, before);
  }
  freeing_ = false;
}

void RamConfigurationForm::tmrSoundPlayer_Timer() {
  if (!playSound_) return;
  program_.Sound().PlaySoundFile(JoinPath(program_.AppFolder(), kLowMemorySoundFileName),
                                       kSndAsync | kSndFilename);
}

}  // namespace zephyr
