// frmNetPingerSettings: the connection keeper. Its timer pings a host at a fixed period from
// start-up on, whether or not the panel is shown, so that a dial-up line sees traffic; the panel
// switches it on and off, chooses the built-in host and period or the user's own, switches the
// sound on, pings at once, and saves the settings under the settings key, named like the controls.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "pinger/largest_packet.h"
#include "pinger/ping.h"
#include "ui/controls.h"
#include "ui/form_model.h"
#include "ui/stored_values.h"

namespace zephyr {

class NetPingerServices;

// The host pinged in Automatic Mode, and the one put into the host box on a switch to Manual Mode.
inline constexpr char kAutomaticPingHost[] = "www.google.com";
inline constexpr char kManualDefaultPingHost[] = "www.wikipedia.org";
inline constexpr char kAutomaticHostText[] = "Automatic";
inline constexpr char kPingSoundFileName[] = "Ping.wav";
inline constexpr int kPingerTimerInterval = 65535;
// The list index stored when none is, and in place of one that is not in the list: 6 minutes.
inline constexpr int kDefaultPingIntervalIndex = 5;
inline constexpr char kFindLargestCaption[] = "Find &largest packet";
inline constexpr char kCancelSearchCaption[] = "&Cancel search";
inline constexpr char kPingerNotSavedMessage[] =
    "The pinger settings could not be saved to the registry. Administrator rights are needed to "
    "change them: start Zephyrnet as an administrator and save them again.";

class NetPingerForm : public ui::Form {
 public:
  explicit NetPingerForm(NetPingerServices& program);

  ui::Frame frameNetPingerSettings{*this, {.name = "frameNetPingerSettings",
                                           .caption = "Net Pinger Settings",
                                           .bounds = {8, 2, 424, 334}}};
  ui::Timer tmrPinger{*this, {.name = "tmrPinger", .interval = kPingerTimerInterval,
                              .enabled = false}};
  ui::CheckBox chkDoPinging{*this, {.name = "chkDoPinging",
                                    .container = &frameNetPingerSettings,
                                    .caption = "Enable Pinger",
                                    .bounds = {12, 20, 200, 20}}};
  ui::Frame frameConfigurations{*this, {.name = "frameConfigurations",
                                        .container = &frameNetPingerSettings,
                                        .caption = "Configuration",
                                        .bounds = {8, 44, 408, 100}}};
  ui::CommandButton cmdPingNow{*this, {.name = "cmdPingNow", .container = &frameConfigurations,
                                       .caption = "Ping &Now", .bounds = {308, 70, 88, 26}}};
  ui::OptionButton optAuto{*this, {.name = "optAuto", .container = &frameConfigurations,
                                   .caption = "Automatic Mode", .bounds = {12, 20, 128, 20}}};
  ui::OptionButton optManual{*this, {.name = "optManual", .container = &frameConfigurations,
                                     .caption = "Manual Mode", .bounds = {12, 46, 128, 20}}};
  ui::TextBox txtPingHost{*this, {.name = "txtPingHost", .container = &frameConfigurations,
                                  .bounds = {232, 18, 164, 22}, .maxLength = 255}};
  ui::ComboBox cmbPingInterval{*this, {.name = "cmbPingInterval",
                                       .container = &frameConfigurations,
                                       .bounds = {232, 44, 96, 200},
                                       .style = ui::ComboStyle::kDropdownList}};
  ui::CheckBox chkSound{*this, {.name = "chkSound", .container = &frameConfigurations,
                                .caption = "Play &Sound at Ping", .bounds = {12, 74, 180, 20}}};
  ui::Label lblHostName{*this, {.name = "lblHostName", .container = &frameConfigurations,
                                .caption = "Ping Host", .bounds = {152, 21, 76, 18}}};
  ui::Label lblPingInterval{*this, {.name = "lblPingInterval", .container = &frameConfigurations,
                                    .caption = "Ping Interval", .bounds = {152, 47, 76, 18}}};
  ui::CommandButton cmdSave{*this, {.name = "cmdSave", .container = &frameNetPingerSettings,
                                    .caption = "Save", .bounds = {316, 12, 100, 28}}};
  ui::Label lblPingerDescription{
      *this, {.name = "lblPingerDescription", .container = &frameNetPingerSettings,
              .caption = "The PING utility helps to keep you from getting your modem connection "
                         "disconnected by your service provider. Most Internet Service Providers "
                         "Disconnect users after a fixed period of modem activity",
              .bounds = {12, 168, 404, 64}}};
  // The last ping's host, time and outcome, so the user can see that the keeper works.
  ui::Label lblLastPing{*this, {.name = "lblLastPing", .container = &frameNetPingerSettings,
                                .caption = "No ping yet.", .bounds = {12, 148, 404, 18}}};

  // Measures the largest packet that reaches the host in the host box (the automatic host in
  // Automatic Mode); while a search runs or waits its caption offers to cancel it.
  ui::Frame frameLargestPacket{*this, {.name = "frameLargestPacket",
                                       .container = &frameNetPingerSettings,
                                       .caption = "Largest Packet (MTU)",
                                       .bounds = {8, 236, 408, 92}}};
  ui::CommandButton cmdFindLargest{*this, {.name = "cmdFindLargest",
                                           .container = &frameLargestPacket,
                                           .caption = kFindLargestCaption,
                                           .bounds = {12, 18, 132, 24}}};
  // Puts the measured MTU into the advanced mode's MTU box; enabled while there is one.
  ui::CommandButton cmdUseMTU{*this, {.name = "cmdUseMTU", .container = &frameLargestPacket,
                                      .caption = "&Use as MTU", .bounds = {150, 18, 96, 24},
                                      .enabled = false}};
  ui::Label lblLargestPacket{*this, {.name = "lblLargestPacket",
                                     .container = &frameLargestPacket,
                                     .caption = "Sends packets that may not be split, to find the "
                                                "largest the line carries.",
                                     .bounds = {12, 48, 384, 40}}};

  const std::string& activePingHost() const { return activePingHost_; }
  int pingIntervalValue() const { return pingIntervalValue_; }
  std::int16_t pingPeriod() const { return pingPeriod_; }
  std::int16_t tickCount() const { return tickCount_; }
  bool Dirty() const { return dirty_; }
  // Pings started by the timer or "Ping Now" whose answer has not come yet.
  int PingsWaiting() const { return pinger_.Waiting(); }
  // A largest-packet search running, or waiting for a ping to finish.
  bool Searching() const { return finder_.Running() || searchWaiting_; }
  // The MTU the last search found, which "Use as MTU" offers.
  std::optional<int> measuredMtu() const { return measuredMtu_; }

  void LoadPingerSettings();
  void SavePingerSettings();
  // The one place that decides whether Save is enabled.
  void SetPingerDirty(bool dirty);

 private:
  void Form_Load() override;
  void chkDoPinging_Click();
  void optAuto_Click();
  void optManual_Click();
  void txtPingHost_Change();
  void cmbPingInterval_Click();
  void chkSound_Click();
  void cmdPingNow_Click();
  void cmdSave_Click();
  void tmrPinger_Timer();
  void cmdFindLargest_Click();
  void cmdUseMTU_Click();

  // A search and a ping never run at once: whichever comes second waits for the first.
  void StartSearch();
  void SearchFinished(const mdlLargestPacket::Result& result);
  void ShowSearchState();

  // activePingHost and pingIntervalValue from the mode, and with `showMode` the controls too.
  void TakeModeSettings(bool showMode);
  // Pings the active host; `soundOnAnswerOnly` is "Ping Now"'s rule, the timer's is any result.
  void PingActiveHost(bool soundOnAnswerOnly);
  void PlayPingSound();
  std::string SettingsKey() const;

  NetPingerServices& program_;
  std::string activePingHost_;
  int pingIntervalValue_ = kDefaultPingIntervalIndex;
  std::int16_t pingPeriod_ = kDefaultPingIntervalIndex + 1;
  std::int16_t tickCount_ = 0;
  bool dirty_ = false;
  mdlPing::Pinger pinger_;
  mdlLargestPacket::Finder finder_;
  std::string searchHost_;
  std::uint32_t searchStartMs_ = 0;
  bool searchWaiting_ = false;  // asked for while a ping waits for its answer
  // A ping that came due during a search, and whether only an answer plays its sound.
  bool pingWaiting_ = false;
  bool waitingPingSoundOnAnswerOnly_ = true;
  std::optional<int> measuredMtu_;
};

// Stored texts as the panel reads them; nothing when the text does not convert.
// The list index of "cmbPingInterval": a whole number from 0 to 59.
std::optional<int> StoredIntervalIndexOf(std::string_view stored);
// The last-ping line: "<host> at <time>: answered in N ms" or "... no answer".
std::string LastPingText(std::string_view host, std::string_view time,
                         const mdlPing::PingOutcome& outcome);

}  // namespace zephyr
