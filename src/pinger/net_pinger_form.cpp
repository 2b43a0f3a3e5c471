#include "pinger/net_pinger_form.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "pinger/net_pinger_services.h"
#include "platform/file_system_port.h"
#include "platform/registry.h"
#include "ui/stored_values.h"

namespace zephyr {

std::optional<int> StoredIntervalIndexOf(std::string_view stored) {
  const auto number = StoredWholeNumberOf(stored);
  if (!number || *number < 0 || *number > 59) return std::nullopt;
  return static_cast<int>(*number);
}

std::string LastPingText(std::string_view host, std::string_view time,
                         const mdlPing::PingOutcome& outcome) {
  std::string text = "Last ping to " + std::string(host) + " at " + std::string(time) + ": ";
  if (outcome.answered) return text + "answered in " + std::to_string(outcome.roundTripMs) + " ms";
  return text + "no answer";
}

NetPingerForm::NetPingerForm(NetPingerServices& program)
    : ui::Form({.name = "frmNetPingerSettings", .caption = "Net Pinger Settings",
                .bounds = {0, 0, ui::kPanelFrameWidth, 340}}),
      program_(program),
      pinger_(program.Network(), program.Background(),
              [&program](const std::string& text, std::uint32_t flags) {
                program.Message(text, flags);
              }),
      finder_(program.Network(), program.Background(),
              [&program](const std::string& text, std::uint32_t flags) {
                program.Message(text, flags);
              }) {
  chkDoPinging.Click.Connect(this, &NetPingerForm::chkDoPinging_Click);
  optAuto.Click.Connect(this, &NetPingerForm::optAuto_Click);
  optManual.Click.Connect(this, &NetPingerForm::optManual_Click);
  txtPingHost.Change.Connect(this, &NetPingerForm::txtPingHost_Change);
  cmbPingInterval.Click.Connect(this, &NetPingerForm::cmbPingInterval_Click);
  chkSound.Click.Connect(this, &NetPingerForm::chkSound_Click);
  cmdPingNow.Click.Connect(this, &NetPingerForm::cmdPingNow_Click);
  cmdSave.Click.Connect(this, &NetPingerForm::cmdSave_Click);
  tmrPinger.Tick.Connect(this, &NetPingerForm::tmrPinger_Timer);
  cmdFindLargest.Click.Connect(this, &NetPingerForm::cmdFindLargest_Click);
  cmdUseMTU.Click.Connect(this, &NetPingerForm::cmdUseMTU_Click);
}

std::string NetPingerForm::SettingsKey() const {
  return std::string(kSettingsRootKey) + std::string(kNetPingerSubkey);
}

void NetPingerForm::Form_Load() {
  cmbPingInterval.Clear();
  for (int minutes = 1; minutes <= 60; ++minutes) {
    cmbPingInterval.AddItem(std::to_string(minutes) + " min.");
  }
  cmdSave.SetEnabled(false);
  LoadPingerSettings();
  tmrPinger.SetEnabled(chkDoPinging.Value() == ui::kChecked);
}

void NetPingerForm::LoadPingerSettings() {
  RegistryPort& registry = program_.Registry();
  const std::string key = SettingsKey();
  const auto stored = [&](const ui::Control& control, std::string_view fallback) {
    return GetMachineSetting(registry, key, control.Name(), fallback);
  };
  // Each value goes into its control, which runs the control's handler as a user's change would.
  // A value that does not convert loads as its default, so the panel always loads.
  chkDoPinging.SetValue(CheckBoxValueOf(stored(chkDoPinging, "0")));
  optAuto.SetValue(StoredBooleanOf(stored(optAuto, "true")).value_or(true));
  optManual.SetValue(StoredBooleanOf(stored(optManual, "false")).value_or(false));
  txtPingHost.SetText(stored(txtPingHost, kAutomaticPingHost));
  cmbPingInterval.SetListIndex(
      StoredIntervalIndexOf(stored(cmbPingInterval, "5")).value_or(kDefaultPingIntervalIndex));
  chkSound.SetValue(CheckBoxValueOf(stored(chkSound, "0")));

  TakeModeSettings(true);
  chkDoPinging_Click();
  SetPingerDirty(false);
  pingPeriod_ = static_cast<std::int16_t>(pingIntervalValue_ + 1);
}

void NetPingerForm::SavePingerSettings() {
  RegistryPort& registry = program_.Registry();
  const std::string key = SettingsKey();
  const RegistryValue values[] = {chkDoPinging.Value(), optAuto.Value(),
                                  optManual.Value(),    txtPingHost.Text(),
                                  cmbPingInterval.ListIndex(), chkSound.Value()};
  const ui::Control* controls[] = {&chkDoPinging, &optAuto,         &optManual,
                                   &txtPingHost,  &cmbPingInterval, &chkSound};
  bool saved = true;
  for (std::size_t i = 0; i < std::size(values); ++i) {
    saved = SaveMachineSetting(registry, key, controls[i]->Name(), values[i]) == kErrorSuccess &&
            saved;
  }
  TakeModeSettings(false);
  tmrPinger.SetEnabled(chkDoPinging.Value() == ui::kChecked);
  pingPeriod_ = static_cast<std::int16_t>(pingIntervalValue_ + 1);
  if (!saved) {
    // The schedule follows the panel for this session; the user learns the next start will not.
    program_.Message(kPingerNotSavedMessage, kMbOk | kMbIconWarning);
    SetPingerDirty(true);
  }
}

void NetPingerForm::TakeModeSettings(bool showMode) {
  if (optAuto.Value()) {
    if (showMode) {
      txtPingHost.SetEnabled(false);
      cmbPingInterval.SetEnabled(false);
      txtPingHost.SetText(kAutomaticHostText);
      cmbPingInterval.SetListIndex(0);
    }
    activePingHost_ = kAutomaticPingHost;
    pingIntervalValue_ = kDefaultPingIntervalIndex;
    return;
  }
  if (showMode) {
    txtPingHost.SetEnabled(true);
    cmbPingInterval.SetEnabled(true);
  }
  activePingHost_ = txtPingHost.Text();
  pingIntervalValue_ = std::max(cmbPingInterval.ListIndex(), 0);
}

void NetPingerForm::SetPingerDirty(bool dirty) {
  dirty_ = dirty;
  cmdSave.SetEnabled(dirty);
}

void NetPingerForm::chkDoPinging_Click() {
  // The timer follows the box on Save, not here.
  if (chkDoPinging.Value() == ui::kChecked) {
    frameConfigurations.SetEnabled(true);
    cmdSave.SetEnabled(true);
  } else {
    frameConfigurations.SetEnabled(false);
  }
  SetPingerDirty(true);
}

void NetPingerForm::optAuto_Click() {
  SetPingerDirty(true);
  txtPingHost.SetEnabled(false);
  cmbPingInterval.SetEnabled(false);
  txtPingHost.SetText(kAutomaticHostText);
  cmbPingInterval.SetListIndex(0);
}

void NetPingerForm::optManual_Click() {
  SetPingerDirty(true);
  txtPingHost.SetText(kManualDefaultPingHost);
  txtPingHost.SetEnabled(true);
  cmbPingInterval.SetEnabled(true);
}

void NetPingerForm::txtPingHost_Change() { SetPingerDirty(true); }
void NetPingerForm::cmbPingInterval_Click() { SetPingerDirty(true); }
void NetPingerForm::chkSound_Click() { SetPingerDirty(true); }

void NetPingerForm::cmdSave_Click() {
  SetPingerDirty(false);
  SavePingerSettings();
}

void NetPingerForm::cmdPingNow_Click() { PingActiveHost(true); }

void NetPingerForm::tmrPinger_Timer() {
  if (tickCount_ < pingPeriod_ - 1) {
    ++tickCount_;
    return;
  }
  tickCount_ = 0;
  PingActiveHost(false);
}

void NetPingerForm::PingActiveHost(bool soundOnAnswerOnly) {
  const std::string host = activePingHost_;
  if (Searching()) {
    // One waiting ping stands for every one that comes due meanwhile; the timer's rule for the
    // sound (whatever the result) wins over "Ping Now"'s.
    waitingPingSoundOnAnswerOnly_ = (pingWaiting_ ? waitingPingSoundOnAnswerOnly_ : true) &&
                                    soundOnAnswerOnly;
    pingWaiting_ = true;
    lblLastPing.SetCaption("Ping to " + host + " waits for the packet search to finish...");
    return;
  }
  lblLastPing.SetCaption("Pinging " + host + "...");
  // The answer comes later, on this thread; the pinger drops it if the panel has gone by then.
  pinger_.PingHost(host, mdlPing::kPingTimeoutMs,
                   [this, host, soundOnAnswerOnly](mdlPing::PingOutcome outcome) {
                     const std::string time =
                         program_.Locale().FormatShortTime(program_.Clock().Now());
                     lblLastPing.SetCaption(LastPingText(host, time, outcome));
                     if (chkSound.Value() == ui::kChecked &&
                         (outcome.answered || !soundOnAnswerOnly)) {
                       PlayPingSound();
                     }
                     if (searchWaiting_ && pinger_.Waiting() == 0) {
                       searchWaiting_ = false;
                       StartSearch();
                     }
                   });
}

void NetPingerForm::cmdFindLargest_Click() {
  if (searchWaiting_) {
    searchWaiting_ = false;
    lblLargestPacket.SetCaption("Search for the largest packet to " + searchHost_ +
                                " cancelled before it started: no size to propose.");
    ShowSearchState();
    return;
  }
  if (finder_.Running()) {
    finder_.Cancel();
    lblLargestPacket.SetCaption("Cancelling the search after the probe under way...");
    return;
  }
  const std::optional<std::string> host =
      mdlPing::HostTextToPing(optAuto.Value() ? kAutomaticPingHost : txtPingHost.Text());
  measuredMtu_.reset();
  if (!host) {
    lblLargestPacket.SetCaption("Enter a host name or address in the Ping Host box first.");
    ShowSearchState();
    return;
  }
  searchHost_ = *host;
  if (pinger_.Waiting() > 0) {
    searchWaiting_ = true;
    lblLargestPacket.SetCaption("The search waits for the ping under way to finish...");
    ShowSearchState();
    return;
  }
  StartSearch();
}

void NetPingerForm::StartSearch() {
  searchStartMs_ = program_.Clock().TickCountMs();
  lblLargestPacket.SetCaption("Finding the largest packet that reaches " + searchHost_ + "...");
  finder_.Find(searchHost_, [this](const mdlLargestPacket::Result& result) {
    SearchFinished(result);
  });
  ShowSearchState();
}

void NetPingerForm::SearchFinished(const mdlLargestPacket::Result& result) {
  const std::uint32_t elapsed = program_.Clock().TickCountMs() - searchStartMs_;
  lblLargestPacket.SetCaption(mdlLargestPacket::ResultText(searchHost_, result, elapsed));
  measuredMtu_ = result.ProposedMtu();
  ShowSearchState();
  if (pingWaiting_) {
    pingWaiting_ = false;
    PingActiveHost(waitingPingSoundOnAnswerOnly_);
  }
}

void NetPingerForm::ShowSearchState() {
  cmdFindLargest.SetCaption(Searching() ? kCancelSearchCaption : kFindLargestCaption);
  cmdUseMTU.SetEnabled(!Searching() && measuredMtu_.has_value());
}

void NetPingerForm::cmdUseMTU_Click() {
  if (measuredMtu_) program_.OfferMTUInAdvancedMode(*measuredMtu_);
}

void NetPingerForm::PlayPingSound() {
  program_.Sound().PlaySoundFile(JoinPath(program_.AppFolder(), kPingSoundFileName),
                                       kSndAsync | kSndFilename);
}

}  // namespace zephyr
