// The RAM configuration panel with its alarm and the system status panel with its graphs: the
// stored settings and their fallbacks, validation, the alarm's decisions, the processor gate, the
// sound, the graphs' figures and captions, "Optimize Now" and its report, and the tray tooltip.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/main_window.h"
#include "fakes/fake_notification_area.h"
#include "fakes/fake_program.h"
#include "memory/ram_configuration_form.h"
#include "monitor/system_status_form.h"
#include "ui/tray.h"

namespace zephyr::testing {
namespace {

const std::string kKey = "SOFTWARE\\Corvanta\\Zephyrnet\\Settings\\RamSettings";
constexpr std::uint64_t kMB = 1048576;
// The yields of one alarm pass: 14 before, 5 and 5 inside the freeing, 14 after.
constexpr int kPassYields = 38;

class MemoryPanels : public ::testing::Test, protected FakePorts {
 protected:
  MemoryPanels() {
    system.SetVersion(kVerPlatformWin32Nt, 5, 1);
    system.memory.totalPhys = 512 * kMB;
    system.memory.availPhys = 300 * kMB;
    system.processors = 1;
  }

  void Start() {
    program = std::make_unique<Program>(ports(), AppPaths{"C:\\Zephyr", "zephyrnet", {}});
    program->AttachTray(&tray);
    system.mutexes.clear();
    ASSERT_TRUE(program->Start());
  }
  RamConfigurationForm& Ram() {
    return dynamic_cast<RamConfigurationForm&>(program->Panel(PanelId::kRamConfiguration));
  }
  SystemStatusForm& Status() {
    return dynamic_cast<SystemStatusForm&>(program->Panel(PanelId::kSystemStatus));
  }
  void Store(const char* name, const char* text) {
    registry.PutString(kHKeyLocalMachine, kKey, name, text);
  }
  std::string Stored(const char* name) {
    const auto value = registry.Get(kHKeyLocalMachine, kKey, name);
    return value ? value->Text() : "<absent>";
  }
  // The next processor sample finds the processor `busy` percent busy.
  void NextCpuSample(int busy) {
    system.systemTime += 1'000'000;
    system.idleTime += (100 - busy) * 10'000;
  }
  // Freeing passes run by one alarm tick.
  int PassesOfOneAlarmTick() {
    const int before = pump.yields;
    timers.Advance(kDefaultAlarmCheckInterval);
    const int yields = pump.yields - before;
    return yields == 0 ? 0 : (yields - 14) / kPassYields;
  }

  FakeNotificationArea area;
  ui::Tray tray{area, timers, {.hwnd = 0x99}};
  std::unique_ptr<Program> program;
};

TEST_F(MemoryPanels, AFreshRegistryLoadsTheDefaultsWithACleanPanel) {
  Start();
  RamConfigurationForm& ram = Ram();
  EXPECT_EQ(ram.txtAlarm.Text(), "250");
  EXPECT_EQ(ram.txtFreeAlarm.Text(), "10");
  EXPECT_EQ(ram.txtTimeCheck.Text(), "100");
  EXPECT_EQ(ram.txtRunOnly.Text(), "2");
  EXPECT_EQ(ram.txtRetryOptimization.Text(), "10");
  EXPECT_TRUE(ram.optMB.Value());
  EXPECT_FALSE(ram.optPer.Value());
  EXPECT_EQ(ram.chkSoundon.Value(), ui::kUnchecked);
  EXPECT_EQ(ram.chkAutomatic.Value(), ui::kUnchecked);
  EXPECT_FALSE(ram.txtAlarm.Enabled());
  EXPECT_FALSE(ram.txtTimeCheck.Enabled());
  EXPECT_EQ(ram.tmrAlarm.Interval(), 100);
  EXPECT_EQ(ram.tmrSoundPlayer.Interval(), 65535);
  EXPECT_EQ(ram.alarmLevel(), 250);
  EXPECT_EQ(ram.cpuLimit(), 2);
  EXPECT_EQ(ram.retryCount(), 10);
  EXPECT_EQ(ram.totalKilobytes(), 524288);
  EXPECT_FALSE(ram.ChangesMade());
  EXPECT_FALSE(ram.cmdSave.Enabled());
}

TEST_F(MemoryPanels, StoredValuesThatDoNotConvertLoadAsDefaultsAndBeyondAnUpDownAsItsEnd) {
  Store("txtAlarm", "lots");
  Store("txtFreeAlarm", "1001");
  Store("txtTimeCheck", "70000");
  Store("optPer", "True");
  Store("optMB", "False");
  Store("txtRunOnly", "300");
  Store("txtRetryOptimization", "ten");
  Start();
  RamConfigurationForm& ram = Ram();
  EXPECT_EQ(ram.txtAlarm.Text(), "250");
  EXPECT_EQ(ram.txtFreeAlarm.Text(), "10");
  EXPECT_EQ(ram.tmrAlarm.Interval(), 65535);
  EXPECT_EQ(ram.txtRunOnly.Text(), "100");  // the percent unit's limit
  EXPECT_EQ(ram.cpuLimit(), 100);
  EXPECT_EQ(ram.retryCount(), 10);

  // Neither unit stored as chosen: megabytes, so a pair of limits is in force.
  Store("optPer", "False");
  Store("txtAlarm", "40000");  // beyond what the alarm level holds
  ram.LoadRamSettings();
  EXPECT_TRUE(ram.optMB.Value());
  EXPECT_EQ(ram.UpDownRunOnly.Max(), 255);
  EXPECT_EQ(ram.txtAlarm.Text(), "250");
}

TEST_F(MemoryPanels, EditsRevertToTheLastLoadedValuesAndTheUnitSetsTheUpDownLimits) {
  Start();
  RamConfigurationForm& ram = Ram();
  struct Case {
    ui::TextBox& box;
    const char* typed;
    const char* shown;
  };
  for (const Case& c : {Case{ram.txtAlarm, "abc", "250"}, Case{ram.txtAlarm, "-1", "250"},
                        Case{ram.txtAlarm, "", "250"}, Case{ram.txtAlarm, "300", "300"},
                        Case{ram.txtFreeAlarm, "1001", "10"}, Case{ram.txtFreeAlarm, "x", "10"},
                        Case{ram.txtFreeAlarm, "1000", "1000"}}) {
    c.box.SetText(c.typed);
    EXPECT_EQ(c.box.Text(), c.shown) << c.box.Name() << " typed " << c.typed;
  }
  EXPECT_TRUE(ram.cmdSave.Enabled());
  // The alarm level in use changes only on load.
  EXPECT_EQ(ram.alarmLevel(), 250);

  ram.optPer.SetValue(true);
  EXPECT_EQ(ram.UpDownRunOnly.Max(), 100);
  EXPECT_EQ(ram.UpDownRetryOptimization.Max(), 100);
  ram.optMB.SetValue(true);
  EXPECT_EQ(ram.UpDownRunOnly.Max(), 255);
  EXPECT_EQ(ram.UpDownRetryOptimization.Max(), 255);
}

TEST_F(MemoryPanels, SaveStoresEveryValueAsWrittenAndTheSavedIntervalTakesEffect) {
  Start();
  RamConfigurationForm& ram = Ram();
  ram.chkSoundon.SetValue(ui::kChecked);
  ram.chkAutomatic.SetValue(ui::kChecked);
  ram.txtAlarm.SetText("400");
  ram.txtFreeAlarm.SetText("20");
  ram.updnTimeCheck.SetValue(0);
  ram.optPer.SetValue(true);
  ram.UpDownRunOnly.SetValue(50);
  ram.UpDownRetryOptimization.SetValue(3);
  ram.cmdSave.UserClick();
  for (auto [name, text] : {std::pair{"chkSoundon", "1"}, {"chkAutomatic", "1"},
                            {"txtAlarm", "400"}, {"txtFreeAlarm", "20"}, {"txtTimeCheck", "0"},
                            {"optPer", "True"}, {"optMB", "False"}, {"txtRunOnly", "50"},
                            {"txtRetryOptimization", "3"}}) {
    EXPECT_EQ(Stored(name), text) << name;
  }
  EXPECT_FALSE(ram.cmdSave.Enabled());
  EXPECT_EQ(ram.alarmLevel(), 400);
  // A check interval of 0 stops the alarm.
  EXPECT_FALSE(ram.tmrAlarm.Running());
  const int before = system.memoryQueries;
  timers.Advance(1000);
  EXPECT_EQ(system.memoryQueries - before, 3);  // the memory graph's ticks only
}

TEST_F(MemoryPanels, TheAlarmComparesStrictlyAndTheSoundTickPlaysTheWarning) {
  Store("chkSoundon", "1");
  Store("chkAutomatic", "1");
  Store("txtAlarm", "300");
  Store("txtFreeAlarm", "0");
  Store("txtRunOnly", "0");
  Start();
  RamConfigurationForm& ram = Ram();
  // Exactly at the alarm level: neither sound nor freeing.
  EXPECT_EQ(PassesOfOneAlarmTick(), 0);
  EXPECT_FALSE(ram.playSound());
  timers.Advance(65535);
  EXPECT_TRUE(sound.played.empty());

  system.memory.availPhys = 300 * kMB - 1;
  EXPECT_EQ(PassesOfOneAlarmTick(), 10);
  EXPECT_TRUE(ram.playSound());
  timers.Advance(65535 - 100);
  ASSERT_EQ(sound.played.size(), 1u);
  EXPECT_EQ(sound.played[0].path, "C:\\Zephyr\\low-memory.wav");
  EXPECT_EQ(sound.played[0].flags, 0x20001u);
}

TEST_F(MemoryPanels, RetryZeroIsOnePassAndTheProcessorGateIsStrict) {
  Store("chkAutomatic", "1");
  Store("txtFreeAlarm", "0");
  Store("txtRetryOptimization", "0");
  Start();
  system.memory.availPhys = 100 * kMB;
  struct Case {
    const char* limit;
    int busy;  // -1: the sample fails
    int passes;
  };
  for (const Case& c : {Case{"0", 99, 1}, Case{"50", 49, 1}, Case{"50", 50, 0},
                        Case{"50", -1, 1}}) {
    Store("txtRunOnly", c.limit);
    Ram().LoadRamSettings();
    system.queryStatus.clear();
    if (c.busy < 0) system.queryStatus[kSystemBasicInformation] = kStatusNotImplemented;
    NextCpuSample(c.busy < 0 ? 0 : c.busy);
    const int queries = system.systemQueries;
    EXPECT_EQ(PassesOfOneAlarmTick(), c.passes) << "limit " << c.limit << ", busy " << c.busy;
    // The sampler is asked on every evaluation, also without a limit.
    EXPECT_GT(system.systemQueries, queries);
  }
  EXPECT_EQ(Ram().retryCount(), 1);
}

TEST_F(MemoryPanels, StatusGraphsShowTheSamplesAndTheTooltipFollowsTheUnitAtOnce) {
  system.memory.availPhys = 128 * kMB;
  Start();
  program->ShowPanel(PanelId::kSystemStatus);
  SystemStatusForm& status = Status();
  EXPECT_EQ(status.sldFreeMomoryReq.Max(), 512);
  EXPECT_EQ(status.lblTargetMemoryNeeded.Caption(), "Target Level Of RAM 0MB.");
  status.sldFreeMomoryReq.SetValue(64);
  EXPECT_EQ(status.sldFreeMomoryReq.ToolTipText(), "64 MB to free when Optimize is clicked");
  EXPECT_EQ(status.lblTargetMemoryNeeded.Caption(), "Target Level Of RAM 64MB.");

  NextCpuSample(37);
  timers.Advance(300);
  EXPECT_EQ(status.histCPU.CurrentValue(), 37);
  EXPECT_EQ(status.frameCPUUsage.Caption(), "Processor usage (37%).");
  EXPECT_EQ(status.histMemory.CurrentValue(), 25);
  EXPECT_EQ(status.fameMemoryUsage.Caption(), "Memory Usage (25%).");
  EXPECT_EQ(tray.TrayToolTip(), "Memory Usage (128MB).");
  Ram().optPer.SetValue(true);
  timers.Advance(300);
  EXPECT_EQ(tray.TrayToolTip(), "Memory Usage (25%).");
  // Fifteen digits would not fit the frame: a tenth is shown.
  system.memory.availPhys = 460 * kMB;
  timers.Advance(300);
  EXPECT_EQ(status.fameMemoryUsage.Caption(), "Memory Usage (89.8%).");

  // Skew beyond 100 % is shown as 100; a failed sample draws no bar and says so.
  system.systemTime += 1'000'000;
  system.idleTime -= 500'000;
  timers.Advance(300);
  EXPECT_EQ(status.histCPU.CurrentValue(), 100);
  system.queryStatus[kSystemTimeOfDayInformation] = kStatusNotImplemented;
  timers.Advance(300);
  EXPECT_EQ(status.frameCPUUsage.Caption(), "Processor usage (not available).");
  EXPECT_EQ(status.histCPU.History().back(), 0);
}

TEST_F(MemoryPanels, TheProcessorGraphSamplesOnlyWhileShownAndStartsAfreshWhenShownAgain) {
  Start();
  SystemStatusForm& status = Status();
  NextCpuSample(80);
  timers.Advance(3000);
  EXPECT_FALSE(status.tmrCPU.Running());
  EXPECT_TRUE(status.histCPU.History().empty());
  EXPECT_TRUE(status.tmrMemory.Running()) << "the tray tooltip tells the free memory all along";

  program->ShowPanel(PanelId::kSystemStatus);
  // The first bar measures from the moment the panel is shown, not the time it was hidden.
  NextCpuSample(20);
  timers.Advance(300);
  EXPECT_EQ(status.histCPU.History(), (std::deque<double>{20}));
  program->ShowPanel(PanelId::kRamConfiguration);
  EXPECT_FALSE(status.tmrCPU.Running());
  NextCpuSample(90);
  timers.Advance(3000);
  program->ShowPanel(PanelId::kSystemStatus);
  EXPECT_TRUE(status.histCPU.History().empty());
  NextCpuSample(30);
  timers.Advance(300);
  EXPECT_EQ(status.histCPU.History(), (std::deque<double>{30}));
}

TEST_F(MemoryPanels, SpeedAndZoomSlidersSetTheTimersAndTheSamplesShown) {
  Start();
  SystemStatusForm& status = Status();
  for (auto [value, interval] : {std::pair{1000, 300}, {300, 1000}, {650, 650}}) {
    status.sldCPUSpeed.UserMove(value);
    status.sldMemorySpeed.UserMove(value);
    EXPECT_EQ(status.tmrCPU.Interval(), interval);
    EXPECT_EQ(status.tmrMemory.Interval(), interval);
  }
  status.sldMemoryZoom.UserMove(100);
  EXPECT_EQ(status.histMemory.MaxLines(), 100);
  EXPECT_EQ(status.histCPU.MaxLines(), 30);
}

TEST_F(MemoryPanels, OptimizeNowShowsTheHourglassAndTellsWhatBecameFreeASecondLater) {
  system.memory.totalPhys = 64ull << 30;  // beyond what 32-bit figures hold
  system.memory.availPhys = 6ull << 30;
  Start();
  SystemStatusForm& status = Status();
  EXPECT_EQ(status.sldFreeMomoryReq.Max(), 65536);
  status.sldFreeMomoryReq.SetValue(0);
  std::vector<int> pointers;
  pump.pending = [&] { pointers.push_back(status.MousePointer()); };
  status.cmdOptimaize.UserClick();
  pump.pending = nullptr;
  EXPECT_EQ(pointers, (std::vector<int>{0, 0, 0, 0, 0, 0, 11, 11, 11, 11, 11, 11, 11, 11, 11, 11,
                                        0, 0, 0, 0, 0, 0}));
  system.memory.availPhys = (6ull << 30) + 200 * kMB;
  timers.Advance(kFreedReportDelay - 1);
  EXPECT_EQ(status.lblFreedMemory.Caption(), "Optimize Now: measuring...");
  timers.Advance(1);
  EXPECT_EQ(status.lblFreedMemory.Caption(),
            "Optimize Now freed 200 MB (6144 MB free before, 6344 MB after).");
  EXPECT_EQ(FreedMemoryText(FreeingKind::kAutomatic, 300 * kMB, 290 * kMB),
            "Automatic optimization: nothing could be freed (300 MB free before, 290 MB after).");
}

}  // namespace
}  // namespace zephyr::testing
