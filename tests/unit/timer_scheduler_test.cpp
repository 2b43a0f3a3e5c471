// Form timers on the fake scheduler: when they run, in which order they fire, and what a tick
// handler may do to the schedule while it runs.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "fakes/fake_timer_scheduler.h"
#include "ui/controls.h"
#include "ui/form_model.h"

namespace zephyr::testing {
namespace {

using Ticks = std::vector<std::string>;

class TimerForm : public ui::Form {
 public:
  TimerForm() : Form({.name = "frmTimers"}) {
    for (ui::Timer* timer : {&tmrCPU, &tmrMemory, &tmrAlarm}) {
      timer->Tick.Connect([this, timer] {
        ticks.push_back(timer->Name() + "@" + std::to_string(clock->Now()));
        // A copy: the handler may destroy the form, and with it onTick.
        if (auto handler = onTick) handler(*timer);
      });
    }
  }

  const FakeTimerScheduler* clock = nullptr;
  Ticks ticks;
  std::function<void(ui::Timer&)> onTick;

  ui::Timer tmrCPU{*this, {.name = "tmrCPU", .interval = 300}};
  ui::Timer tmrMemory{*this, {.name = "tmrMemory", .interval = 500}};
  ui::Timer tmrAlarm{*this, {.name = "tmrAlarm", .interval = 300, .enabled = false}};
};

class TimerSchedulerTest : public ::testing::Test {
 protected:
  TimerSchedulerTest() { form->clock = &timers; }

  Ticks TakeTicks() { return std::exchange(form->ticks, {}); }

  FakeTimerScheduler timers;
  std::unique_ptr<TimerForm> form = std::make_unique<TimerForm>();
};

TEST_F(TimerSchedulerTest, TimersRunOnlyWhileLoadedEnabledAndGivenAnInterval) {
  timers.Advance(1000);
  EXPECT_TRUE(TakeTicks().empty()) << "nothing ticks before the form is loaded";
  EXPECT_EQ(timers.RunningCount(), 0u);

  form->Load(timers);
  EXPECT_EQ(timers.RunningCount(), 2u) << "the disabled alarm waits";
  form->tmrCPU.SetInterval(0);
  EXPECT_FALSE(form->tmrCPU.Running());
  timers.Advance(1000);
  EXPECT_EQ(TakeTicks(), (Ticks{"tmrMemory@1500", "tmrMemory@2000"}));
  EXPECT_EQ(form->tmrCPU.Fire(), false) << "a stale tick does not reach a stopped timer";

  form->tmrCPU.SetInterval(70000);
  EXPECT_EQ(form->tmrCPU.Interval(), 0) << "beyond 65535 is refused";
  form->tmrMemory.SetEnabled(false);
  form->tmrAlarm.SetEnabled(true);
  timers.Advance(600);
  EXPECT_EQ(TakeTicks(), (Ticks{"tmrAlarm@2300", "tmrAlarm@2600"}));

  form->Unload();
  EXPECT_EQ(timers.RunningCount(), 0u);
  form->tmrAlarm.SetEnabled(false);
  form->tmrAlarm.SetEnabled(true);
  EXPECT_EQ(timers.RunningCount(), 0u) << "enabling on an unloaded form starts nothing";
}

TEST_F(TimerSchedulerTest, DueTimersFireInTimeOrderAndInStartOrderWhenTied) {
  form->tmrAlarm.SetEnabled(true);
  form->Load(timers);
  timers.Advance(1000);
  EXPECT_EQ(TakeTicks(), (Ticks{"tmrCPU@300", "tmrAlarm@300", "tmrMemory@500", "tmrCPU@600",
                                "tmrAlarm@600", "tmrCPU@900", "tmrAlarm@900", "tmrMemory@1000"}));
  EXPECT_EQ(timers.Now(), 1000u);
}

TEST_F(TimerSchedulerTest, ANewIntervalRestartsTheCountButReenablingARunningTimerDoesNot) {
  form->Load(timers);
  form->tmrMemory.SetEnabled(false);
  timers.Advance(200);
  form->tmrCPU.SetEnabled(true);
  timers.Advance(100);
  EXPECT_EQ(TakeTicks(), (Ticks{"tmrCPU@300"}));
  timers.Advance(200);
  form->tmrCPU.SetInterval(1000);
  timers.Advance(1000);
  EXPECT_EQ(TakeTicks(), (Ticks{"tmrCPU@1500"}));
}

TEST_F(TimerSchedulerTest, ATickHandlerMayChangeTheScheduleItRunsIn) {
  form->tmrAlarm.SetEnabled(true);
  form->Load(timers);
  form->onTick = [this](ui::Timer& timer) {
    if (&timer != &form->tmrCPU) return;
    form->tmrAlarm.SetEnabled(false);  // due at the same moment: it must not fire
    form->tmrCPU.SetEnabled(false);
    form->tmrMemory.SetInterval(100);  // counted from this tick
  };
  timers.Advance(1000);
  EXPECT_EQ(TakeTicks(),
            (Ticks{"tmrCPU@300", "tmrMemory@400", "tmrMemory@500", "tmrMemory@600", "tmrMemory@700",
                   "tmrMemory@800", "tmrMemory@900", "tmrMemory@1000"}));
}

TEST_F(TimerSchedulerTest, ATickMayPumpTimeOrDestroyTheWholeForm) {
  form->Load(timers);
  bool pumped = false;
  form->onTick = [this, &pumped](ui::Timer& timer) {
    if (&timer == &form->tmrMemory && !pumped) {
      pumped = true;
      timers.Advance(300);  // a long operation that lets pending events run
    }
  };
  timers.Advance(500);
  EXPECT_EQ(TakeTicks(), (Ticks{"tmrCPU@300", "tmrMemory@500", "tmrCPU@600"}))
      << "the pump ran the CPU tick inside the memory tick";
  EXPECT_EQ(timers.Now(), 800u);

  form->onTick = [this](ui::Timer&) { form.reset(); };
  timers.Advance(1000);
  EXPECT_EQ(form, nullptr);
  EXPECT_EQ(timers.RunningCount(), 0u) << "a destroyed form leaves no timer behind";
}

}  // namespace
}  // namespace zephyr::testing
