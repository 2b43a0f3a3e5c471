// The pinger panel: its defaults, what Save stores and when it takes effect, the schedule of its
// timer, "Ping Now", the sound, and stored values that do not convert.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_window.h"
#include "fakes/fake_form_host.h"
#include "fakes/fake_program.h"
#include "pinger/net_pinger_form.h"
#include "tuning/normal_mode_form.h"

namespace zephyr::testing {
namespace {

const std::string kKey = "SOFTWARE\\Corvanta\\Zephyrnet\\Settings\\NetPinger";
constexpr std::uint64_t kTick = 65535;

class NetPinger : public ::testing::Test, protected FakePorts {
 protected:
  NetPinger() {
    system.SetVersion(kVerPlatformWin32Nt, 5, 1);
    network.answers[{127, 0, 0, 1}] = {0, 4};
  }

  // Starts the program, which creates the panel and starts its timer, and puts the panel on a
  // fake screen.
  NetPingerForm& Start() {
    host.reset();
    program = std::make_unique<Program>(ports(), AppPaths{"C:\\Zephyr", "zephyrnet", {}});
    system.mutexes.clear();
    EXPECT_TRUE(program->Start());
    auto& form = dynamic_cast<NetPingerForm&>(program->Panel(PanelId::kNetPingerSettings));
    host = std::make_unique<FakeFormHost>(form, timers);
    return form;
  }
  void Store(const char* name, const char* text) {
    registry.PutString(kHKeyLocalMachine, kKey, name, text);
  }
  std::optional<std::string> Stored(const char* name) {
    const auto value = registry.Get(kHKeyLocalMachine, kKey, name);
    return value ? std::optional(value->Text()) : std::nullopt;
  }
  // The manual mode with a host and a list item, saved, the pinger on.
  NetPingerForm& StartManual(const char* pingHost, int item) {
    Store("chkDoPinging", "1");
    Store("optAuto", "False");
    Store("optManual", "True");
    Store("txtPingHost", pingHost);
    Store("cmbPingInterval", std::to_string(item).c_str());
    return Start();
  }
  // The ticks, of the next `ticks`, at which a ping started.
  std::vector<int> PingTicks(int ticks) {
    std::vector<int> at;
    for (int tick = 1; tick <= ticks; ++tick) {
      const int before = network.startups + static_cast<int>(background.Held());
      timers.Advance(kTick);
      if (network.startups + static_cast<int>(background.Held()) != before) at.push_back(tick);
    }
    return at;
  }

  std::unique_ptr<Program> program;
  std::unique_ptr<FakeFormHost> host;
};

TEST_F(NetPinger, AFreshRegistryGivesThePingerOffInAutomaticModeWithACleanPanel) {
  NetPingerForm& form = Start();
  EXPECT_EQ(form.chkDoPinging.Value(), 0);
  EXPECT_TRUE(form.optAuto.Value());
  EXPECT_FALSE(form.optManual.Value());
  EXPECT_EQ(form.txtPingHost.Text(), "Automatic");
  EXPECT_FALSE(form.txtPingHost.Enabled());
  EXPECT_EQ(form.cmbPingInterval.ListCount(), 60);
  EXPECT_EQ(form.cmbPingInterval.List(0), "1 min.");
  EXPECT_EQ(form.cmbPingInterval.List(59), "60 min.");
  EXPECT_EQ(form.cmbPingInterval.Text(), "1 min.");
  EXPECT_FALSE(form.cmbPingInterval.Enabled());
  EXPECT_FALSE(form.frameConfigurations.Enabled());
  EXPECT_EQ(form.chkSound.Value(), 0);
  EXPECT_FALSE(form.cmdSave.Enabled());
  EXPECT_EQ(form.pingPeriod(), 6);
  EXPECT_EQ(form.activePingHost(), kAutomaticPingHost);
  EXPECT_FALSE(form.tmrPinger.Running());
  EXPECT_EQ(form.tmrPinger.Interval(), 65535);
  // Off by default: nothing is sent however long the program runs, and nothing is written.
  EXPECT_EQ(PingTicks(20), std::vector<int>{});
  EXPECT_EQ(network.Calls(), 0);
  EXPECT_EQ(registry.Journal(), std::vector<std::string>{});
}

TEST_F(NetPinger, SavingStoresTheSixValuesAsWrittenAndTheNextStartLoadsThem) {
  NetPingerForm& form = Start();
  ASSERT_TRUE(host->Click("chkDoPinging"));
  EXPECT_TRUE(form.cmdSave.Enabled());
  ASSERT_TRUE(host->Click("optManual"));
  EXPECT_EQ(form.txtPingHost.Text(), kManualDefaultPingHost);
  ASSERT_TRUE(host->ReplaceText("txtPingHost", "127.0.0.1"));
  ASSERT_TRUE(host->Select("cmbPingInterval", 0));
  ASSERT_TRUE(host->Click("chkSound"));
  ASSERT_TRUE(host->Click("cmdSave"));
  EXPECT_FALSE(form.cmdSave.Enabled());
  const std::vector<std::pair<const char*, const char*>> expected = {
      {"chkDoPinging", "1"}, {"optAuto", "False"},   {"optManual", "True"},
      {"txtPingHost", "127.0.0.1"}, {"cmbPingInterval", "0"}, {"chkSound", "1"}};
  for (const auto& [name, text] : expected) EXPECT_EQ(Stored(name), text) << name;

  NetPingerForm& again = Start();
  EXPECT_TRUE(again.optManual.Value());
  EXPECT_EQ(again.txtPingHost.Text(), "127.0.0.1");
  EXPECT_TRUE(again.txtPingHost.Enabled());
  EXPECT_EQ(again.cmbPingInterval.ListIndex(), 0);
  EXPECT_EQ(again.chkSound.Value(), 1);
  EXPECT_EQ(again.activePingHost(), "127.0.0.1");
  EXPECT_EQ(again.pingPeriod(), 1);
  EXPECT_FALSE(again.cmdSave.Enabled());
  EXPECT_TRUE(again.tmrPinger.Running());

  // Back to automatic: the host box says so and the first item is stored.
  ASSERT_TRUE(host->Click("optAuto"));
  ASSERT_TRUE(host->Click("cmdSave"));
  EXPECT_EQ(Stored("txtPingHost"), "Automatic");
  EXPECT_EQ(Stored("cmbPingInterval"), "0");
  EXPECT_EQ(Stored("optAuto"), "True");
  EXPECT_EQ(Start().pingPeriod(), 6);
}

TEST_F(NetPinger, TheTimerPingsEveryPeriodFromStartUp) {
  const struct {
    const char* what;
    bool manual;
    int item;
    std::vector<int> pingTicks;
  } cases[] = {
      {"automatic: every 6 ticks", false, 0, {6, 12, 18}},
      {"1 minute: every tick", true, 0, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17,
                                         18}},
      {"6 minutes", true, 5, {6, 12, 18}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    registry = FakeRegistry();
    if (c.manual) {
      StartManual("127.0.0.1", c.item);
    } else {
      Store("chkDoPinging", "1");
      Start();
    }
    EXPECT_EQ(PingTicks(18), c.pingTicks);
  }
  registry = FakeRegistry();
  NetPingerForm& hourly = StartManual("127.0.0.1", 59);
  EXPECT_EQ(hourly.pingPeriod(), 60);
  EXPECT_EQ(PingTicks(120), (std::vector<int>{60, 120}));
}

TEST_F(NetPinger, EditsTakeEffectOnSaveAndTheTickCountSurvivesSaveAndOnOff) {
  network.answers[{10, 0, 0, 1}] = {0, 1};
  NetPingerForm& form = StartManual("127.0.0.1", 4);  // every 5 ticks
  EXPECT_EQ(PingTicks(3), std::vector<int>{});
  EXPECT_EQ(form.tickCount(), 3);

  // A typed host is not pinged until it is saved.
  ASSERT_TRUE(host->ReplaceText("txtPingHost", "10.0.0.1"));
  EXPECT_EQ(form.activePingHost(), "127.0.0.1");
  EXPECT_EQ(PingTicks(2), std::vector<int>{2});
  EXPECT_EQ(network.echoes.back().destination, (Ipv4Address{127, 0, 0, 1}));

  // Switched off but not saved: still pinging; saved: silent, and the count is kept.
  ASSERT_TRUE(host->Click("chkDoPinging"));
  EXPECT_EQ(PingTicks(5), std::vector<int>{5});
  EXPECT_EQ(network.echoes.back().destination, (Ipv4Address{127, 0, 0, 1}));
  EXPECT_EQ(PingTicks(2), std::vector<int>{});
  ASSERT_TRUE(host->Click("cmdSave"));
  EXPECT_FALSE(form.tmrPinger.Running());
  EXPECT_EQ(form.tickCount(), 2);
  EXPECT_EQ(PingTicks(10), std::vector<int>{});

  // On again: the saved host, and the old count, so the next ping is 3 ticks away.
  ASSERT_TRUE(host->Click("chkDoPinging"));
  ASSERT_TRUE(host->Click("cmdSave"));
  EXPECT_EQ(form.activePingHost(), "10.0.0.1");
  EXPECT_EQ(form.tickCount(), 2);
  EXPECT_EQ(PingTicks(8), (std::vector<int>{3, 8}));
  EXPECT_EQ(network.echoes.back().destination, (Ipv4Address{10, 0, 0, 1}));
}

TEST_F(NetPinger, PingNowTellsTheOutcomeAndPlaysTheSoundOnlyWhenAnswered) {
  const struct {
    const char* host;
    bool sound;
    const char* line;
    bool played;
  } cases[] = {
      {"127.0.0.1", true, "Last ping to 127.0.0.1 at 2:05:09 PM: answered in 4 ms", true},
      {"10.9.9.9", true, "Last ping to 10.9.9.9 at 2:05:09 PM: no answer", false},
      {"127.0.0.1", false, "Last ping to 127.0.0.1 at 2:05:09 PM: answered in 4 ms", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.host);
    registry = FakeRegistry();
    sound.played.clear();
    Store("chkSound", c.sound ? "1" : "0");
    NetPingerForm& form = StartManual(c.host, 0);
    ASSERT_TRUE(host->Click("cmdPingNow"));
    EXPECT_EQ(form.lblLastPing.Caption(), c.line);
    const std::vector<FakeSound::Played> ping = {{"C:\\Zephyr\\Ping.wav", 0x20001}};
    EXPECT_EQ(sound.played, c.played ? ping : std::vector<FakeSound::Played>());
    // Nothing of it is stored.
    EXPECT_FALSE(form.cmdSave.Enabled());
  }
  // The timer's ping plays the sound whatever came back; the box is read when the answer comes.
  sound.played.clear();
  Store("chkSound", "1");
  NetPingerForm& form = StartManual("10.9.9.9", 0);
  EXPECT_EQ(PingTicks(1), std::vector<int>{1});
  EXPECT_EQ(sound.played.size(), 1u);
  background.holdRequests = true;
  PingTicks(1);
  ASSERT_TRUE(host->Click("chkSound"));
  background.Finish(0);
  EXPECT_EQ(sound.played.size(), 1u);
  EXPECT_EQ(form.lblLastPing.Caption(), "Last ping to 10.9.9.9 at 2:05:09 PM: no answer");
}

TEST_F(NetPinger, APingStillWaitingWhenTheProgramEndsIsDroppedQuietly) {
  background.holdRequests = true;
  StartManual("127.0.0.1", 0);
  ASSERT_TRUE(host->Click("cmdPingNow"));
  PingTicks(1);
  ASSERT_EQ(background.Held(), 2u);
  host.reset();
  program->Shutdown();
  program.reset();
  background.Finish(1);
  background.DropAfterWork(0);
  EXPECT_TRUE(network.openHandles.empty());
  EXPECT_EQ(network.started, 0);
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(NetPinger, StoredValuesThatDoNotConvertLoadAsTheirDefaults) {
  for (const char* text : {"x", "", "60", "-1", "5.5", "99999999999999999999"}) {
    EXPECT_EQ(StoredIntervalIndexOf(text), std::nullopt) << text;
  }
  EXPECT_EQ(StoredIntervalIndexOf("59"), 59);
  const struct {
    const char* text;
    std::optional<bool> value;
  } booleans[] = {{"True", true}, {"tRUE", true}, {"false", false}, {"0", false}, {"-1", true},
                  {"7", true},    {"yes", std::nullopt}, {"", std::nullopt}};
  for (const auto& b : booleans) EXPECT_EQ(StoredBooleanOf(b.text), b.value) << b.text;

  Store("chkDoPinging", "on");
  Store("optAuto", "maybe");
  Store("optManual", "1");
  Store("cmbPingInterval", "99");
  Store("chkSound", "loud");
  NetPingerForm& form = Start();
  EXPECT_EQ(form.chkDoPinging.Value(), 0);
  EXPECT_TRUE(form.optManual.Value());
  EXPECT_EQ(form.cmbPingInterval.ListIndex(), 5);
  EXPECT_EQ(form.pingPeriod(), 6);
  EXPECT_EQ(form.chkSound.Value(), 0);
  EXPECT_FALSE(form.cmdSave.Enabled());
}

TEST_F(NetPinger, ARefusedSaveIsToldAndKeepsSaveEnabled) {
  registry.DenyWrites(kHKeyLocalMachine, "SOFTWARE");
  NetPingerForm& form = Start();
  ASSERT_TRUE(host->Click("chkDoPinging"));
  ASSERT_TRUE(host->Click("cmdSave"));
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text, kPingerNotSavedMessage);
  EXPECT_TRUE(form.cmdSave.Enabled());
  // This session pings as the panel says.
  EXPECT_TRUE(form.tmrPinger.Running());
}

TEST_F(NetPinger, TheLargestPacketFoundGoesIntoTheAdvancedModesMTUBoxWithoutBeingWritten) {
  network.pathLimits[{127, 0, 0, 1}] = {.largestPayload = 1372};
  network.onEcho = [&](const FakeNetwork::Echo&) { clock.Advance(25); };
  NetPingerForm& form = StartManual("127.0.0.1", 0);
  // The host in the box counts, saved or not.
  ASSERT_TRUE(host->ReplaceText("txtPingHost", " 127.0.0.1 "));
  registry.ClearJournal();
  ASSERT_TRUE(host->Click("cmdFindLargest"));
  EXPECT_THAT(form.lblLargestPacket.Caption(),
              ::testing::StartsWith("Largest packet to 127.0.0.1: 1400 bytes (1372 of data), 13 "
                                    "probes in 0.3 s. Not answered: "));
  EXPECT_EQ(form.measuredMtu(), 1400);
  EXPECT_TRUE(form.cmdUseMTU.Enabled());

  ASSERT_TRUE(host->Click("cmdUseMTU"));
  ASSERT_EQ(program->CurrentPanel(), PanelId::kNormalMode);
  auto& advanced = dynamic_cast<NormalModeForm&>(program->Panel(PanelId::kNormalMode));
  EXPECT_EQ(advanced.currWizardPage(), 1);
  EXPECT_TRUE(advanced.frmWizardPages(1).Visible());
  EXPECT_EQ(advanced.txtMTUValue.Text(), "1400");
  EXPECT_EQ(advanced.lblMTURecValue.Caption(), "576 Byte");  // the recommendation stays in view
  EXPECT_EQ(registry.Journal(), std::vector<std::string>{});
  // Entering the page again keeps the measured value; Finish applies it.
  FakeFormHost advancedHost(advanced, timers);
  ASSERT_TRUE(advancedHost.Click("cmdPrevPage"));
  ASSERT_TRUE(advancedHost.Click("cmdNextPage"));
  EXPECT_EQ(advanced.txtMTUValue.Text(), "1400");

  // A host that answers nothing proposes nothing; an empty box asks for a host.
  ASSERT_TRUE(host->ReplaceText("txtPingHost", "10.9.9.9"));
  ASSERT_TRUE(host->Click("cmdFindLargest"));
  EXPECT_THAT(form.lblLargestPacket.Caption(),
              ::testing::StartsWith("10.9.9.9 answered none of 2 echoes: no size to propose."));
  EXPECT_FALSE(form.cmdUseMTU.Enabled());
  ASSERT_TRUE(host->ReplaceText("txtPingHost", "  "));
  const std::size_t echoes = network.echoes.size();
  ASSERT_TRUE(host->Click("cmdFindLargest"));
  EXPECT_EQ(form.lblLargestPacket.Caption(),
            "Enter a host name or address in the Ping Host box first.");
  EXPECT_EQ(network.echoes.size(), echoes);
}

TEST_F(NetPinger, ASearchAndAPingNeverRunAtOnceAndASearchCanBeCancelled) {
  network.pathLimits[{127, 0, 0, 1}] = {.largestPayload = 1372};
  background.holdRequests = true;
  NetPingerForm& form = StartManual("127.0.0.1", 0);
  ASSERT_TRUE(host->Click("cmdPingNow"));
  ASSERT_TRUE(host->Click("cmdFindLargest"));
  // The search waits for the ping's answer.
  EXPECT_EQ(background.Held(), 1u);
  EXPECT_TRUE(form.Searching());
  EXPECT_EQ(form.cmdFindLargest.Caption(), kCancelSearchCaption);
  background.Finish(0);
  EXPECT_THAT(form.lblLastPing.Caption(), ::testing::HasSubstr("answered"));
  ASSERT_EQ(background.Held(), 1u);  // now the search
  // A ping that comes due meanwhile waits for the search, however many ticks pass.
  PingTicks(3);
  EXPECT_EQ(background.Held(), 1u);
  EXPECT_THAT(form.lblLastPing.Caption(), ::testing::HasSubstr("waits for the packet search"));
  background.Finish(0);
  EXPECT_EQ(form.measuredMtu(), 1400);
  EXPECT_EQ(form.cmdFindLargest.Caption(), kFindLargestCaption);
  ASSERT_EQ(background.Held(), 1u);  // the ping that waited
  background.Finish(0);
  EXPECT_THAT(form.lblLastPing.Caption(), ::testing::HasSubstr("answered"));

  // Cancelled while it runs: the probe under way ends, no further one is sent.
  ASSERT_TRUE(host->Click("cmdFindLargest"));
  ASSERT_TRUE(host->Click("cmdFindLargest"));
  const std::size_t echoes = network.echoes.size();
  background.Finish(0);
  EXPECT_EQ(network.echoes.size(), echoes);
  EXPECT_THAT(form.lblLargestPacket.Caption(), ::testing::HasSubstr("cancelled after 0 probes"));
  EXPECT_FALSE(form.cmdUseMTU.Enabled());
  EXPECT_FALSE(form.Searching());
  // Cancelled while it waits for a ping: it never starts.
  ASSERT_TRUE(host->Click("cmdPingNow"));
  ASSERT_TRUE(host->Click("cmdFindLargest"));
  ASSERT_TRUE(host->Click("cmdFindLargest"));
  background.Finish(0);
  EXPECT_EQ(background.Held(), 0u);
  EXPECT_THAT(form.lblLargestPacket.Caption(), ::testing::HasSubstr("cancelled before it started"));
}

}  // namespace
}  // namespace zephyr::testing
