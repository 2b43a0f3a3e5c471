// frmRamConfiguration: the low-memory alarm and its settings. Its timer checks the free physical
// memory at the chosen interval, raises the warning sound's flag while memory is below the alarm
// level, and with automatic optimization on frees memory, if asked only while the processor is
// not busy; a second timer plays the warning. The panel also holds the unit of the tray icon's
// tooltip, which the status panel reads. The timers run from start-up, shown or not.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "ui/controls.h"
#include "ui/form_model.h"

namespace zephyr {

class RamConfigurationServices;

inline constexpr char kLowMemorySoundFileName[] = "low-memory.wav";
inline constexpr int kSoundPlayerInterval = 65535;
inline constexpr int kDefaultAlarmCheckInterval = 100;
inline constexpr int kLargestFreeAlarm = 1000;
inline constexpr int kLargestAlarmLevel = 32767;
// The up-down limits of the CPU limit and the retry count, by tooltip unit.
inline constexpr int kMegabyteUnitLimit = 255;
inline constexpr int kPercentUnitLimit = 100;
// Yields around the alarm's freeing: before it, and before and after each pass.
inline constexpr int kAlarmYields = 14;
inline constexpr char kRamNotSavedMessage[] =
    "The RAM settings could not be saved to the registry. Administrator rights are needed to "
    "change them: start Zephyrnet as an administrator and save them again.";

class RamConfigurationForm : public ui::Form {
 public:
  explicit RamConfigurationForm(RamConfigurationServices& program);
  ~RamConfigurationForm() override;

  ui::Frame frameRamConfiguration{*this, {.name = "frameRamConfiguration",
                                          .caption = "Ram Configuration",
                                          .bounds = {8, 2, 424, 250}}};
  ui::Frame framOpt{*this, {.name = "framOpt", .container = &frameRamConfiguration,
                            .caption = "Automatic Optimization", .bounds = {8, 16, 184, 148}}};
  ui::Label lblAlarm{*this, {.name = "lblAlarm", .container = &framOpt,
                             .caption = "Alarm Level (in MB):", .bounds = {8, 22, 116, 28}}};
  ui::TextBox txtAlarm{*this, {.name = "txtAlarm", .container = &framOpt,
                               .bounds = {128, 20, 48, 20}, .maxLength = 5}};
  ui::Label lblFreeAlarm{*this, {.name = "lblFreeAlarm", .container = &framOpt,
                                 .caption = "RAM to try and free when alarm level is reached:",
                                 .bounds = {8, 50, 116, 44}}};
  ui::TextBox txtFreeAlarm{*this, {.name = "txtFreeAlarm", .container = &framOpt,
                                   .bounds = {128, 56, 48, 20}, .maxLength = 4}};
  ui::Label lblTimeCheck{*this, {.name = "lblTimeCheck", .container = &framOpt,
                                 .caption = "Do check every (in Milliseconds)",
                                 .bounds = {8, 100, 116, 30}}};
  ui::TextBox txtTimeCheck{*this, {.name = "txtTimeCheck", .container = &framOpt,
                                   .bounds = {128, 104, 34, 20}, .maxLength = 5}};
  ui::UpDown updnTimeCheck{*this, {.name = "updnTimeCheck", .container = &framOpt,
                                   .bounds = {162, 104, 16, 20}, .buddy = &txtTimeCheck,
                                   .min = 0, .max = 65535, .value = kDefaultAlarmCheckInterval}};

  ui::Frame frameSysToolTip{*this, {.name = "frameSysToolTip", .container = &frameRamConfiguration,
                                    .caption = "System Tray Icon Tool Tip Text",
                                    .bounds = {200, 16, 216, 148}}};
  ui::OptionButton optMB{*this, {.name = "optMB", .container = &frameSysToolTip,
                                 .caption = "Free RAM in MB", .bounds = {8, 18, 200, 18}}};
  ui::OptionButton optPer{*this, {.name = "optPer", .container = &frameSysToolTip,
                                  .caption = "Percentage of Free RAM", .bounds = {8, 38, 200, 18}}};
  ui::Label lblRetryOptimization{*this, {.name = "lblRetryOptimization",
                                         .container = &frameSysToolTip,
                                         .caption = "Times to retry optimization",
                                         .bounds = {8, 62, 148, 30}}};
  ui::TextBox txtRetryOptimization{*this, {.name = "txtRetryOptimization",
                                           .container = &frameSysToolTip,
                                           .bounds = {160, 64, 32, 20}, .maxLength = 3}};
  ui::UpDown UpDownRetryOptimization{*this, {.name = "UpDownRetryOptimization",
                                             .container = &frameSysToolTip,
                                             .bounds = {192, 64, 16, 20},
                                             .buddy = &txtRetryOptimization,
                                             .max = kMegabyteUnitLimit, .value = 10}};
  ui::Label lblRunOnly{*this, {.name = "lblRunOnly", .container = &frameSysToolTip,
                               .caption = "Run ONLY if CPU-Usage is below this "
                                          "(0=detectyion not in use)",
                               .bounds = {8, 94, 148, 48}}};
  ui::TextBox txtRunOnly{*this, {.name = "txtRunOnly", .container = &frameSysToolTip,
                                 .bounds = {160, 104, 32, 20}, .maxLength = 3}};
  ui::UpDown UpDownRunOnly{*this, {.name = "UpDownRunOnly", .container = &frameSysToolTip,
                                   .bounds = {192, 104, 16, 20}, .buddy = &txtRunOnly,
                                   .max = kMegabyteUnitLimit, .value = 2}};

  ui::Frame framOnOffSettings{*this, {.name = "framOnOffSettings",
                                      .container = &frameRamConfiguration,
                                      .caption = "On/Off settings", .bounds = {8, 168, 408, 56}}};
  ui::CheckBox chkSoundon{*this, {.name = "chkSoundon", .container = &framOnOffSettings,
                                  .caption = "Sound on", .bounds = {8, 16, 392, 18}}};
  ui::CheckBox chkAutomatic{*this, {.name = "chkAutomatic", .container = &framOnOffSettings,
                                    .caption = "Optimize automatically when Alarm level is reached",
                                    .bounds = {8, 34, 392, 18}}};
  ui::CommandButton cmdSave{*this, {.name = "cmdSave", .container = &frameRamConfiguration,
                                    .caption = "Save", .bounds = {316, 226, 100, 22}}};

  ui::Timer tmrAlarm{*this, {.name = "tmrAlarm", .interval = kDefaultAlarmCheckInterval}};
  ui::Timer tmrSoundPlayer{*this, {.name = "tmrSoundPlayer", .interval = kSoundPlayerInterval}};

  bool ChangesMade() const { return changesMade_; }
  // Stores the flag; Save is enabled exactly while it is set.
  void SetChangesMade(bool changed);

  void LoadRamSettings();
  // False when a value could not be written.
  bool SaveRamSettings();

  std::int16_t alarmLevel() const { return alarmLevel_; }
  std::int16_t freeAmount() const { return freeAmount_; }
  std::uint8_t cpuLimit() const { return cpuLimit_; }
  std::uint8_t retryCount() const { return retryCount_; }
  bool playSound() const { return playSound_; }
  std::int64_t totalKilobytes() const { return totalKilobytes_; }
  // The last alarm tick's figures, for display: free megabytes and the free share in percent.
  std::int64_t freeMegabytes() const { return freeMegabytes_; }
  int freePercent() const { return freePercent_; }

 private:
  void Form_Load() override;
  void txtAlarm_Change();
  void txtFreeAlarm_Change();
  void chkSoundon_Click();
  void chkAutomatic_Click();
  void optMB_Click();
  void optPer_Click();
  void updnTimeCheck_Change();
  void UpDownRetryOptimization_Change();
  void UpDownRunOnly_Change();
  void cmdSave_Click();
  void tmrAlarm_Timer();
  void tmrSoundPlayer_Timer();

  // The working fields and the timer from what the controls hold now.
  void TakeControlValues();
  void SetUnitLimits(int largest);
  // Lets pending events run; false when they took this panel away, and nothing of it may be
  // touched any more.
  bool LetEventsRun(int times);
  std::string SettingsKey() const;

  RamConfigurationServices& program_;
  std::int16_t alarmLevel_ = 0;
  std::int16_t freeAmount_ = 0;
  bool changesMade_ = false;
  std::int64_t totalKilobytes_ = 0;
  std::uint8_t cpuLimit_ = 0;
  std::uint8_t retryCount_ = 0;
  bool playSound_ = false;
  std::int64_t freeMegabytes_ = 0;
  int freePercent_ = 0;
  // Set while an alarm tick frees memory: a tick that falls due during its yields is skipped, so
  // ticks cannot nest without end and hold a block each.
  bool freeing_ = false;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// Stored texts as the panel loads them; nothing when the text does not convert.
// A whole number (a number with a fraction rounds, ties to even) from 0 to `largest`.
std::optional<int> StoredAmountOf(std::string_view stored, int largest);

}  // namespace zephyr
