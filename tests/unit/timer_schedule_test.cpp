#include "ui/timer_schedule.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace zephyr::ui {
namespace {

constexpr std::uint32_t kTolerance = 10;

// The schedule driven by a system timer that expires exactly on its period, from `begin` for
// `length` milliseconds, with timers started at given times.
struct Simulation {
  struct Started {
    std::uint32_t at;
    TimerSchedule::Key key;
    std::uint32_t interval;
    bool once = false;  // stopped by its first tick
  };

  std::map<TimerSchedule::Key, std::vector<std::uint32_t>> ticks;
  int wakes = 0;
  int periodChanges = 0;

  Simulation(std::vector<Started> starts, std::uint32_t begin, std::uint32_t length) {
    TimerSchedule schedule(kTolerance);
    std::uint32_t period = 0;
    std::uint32_t next = 0;
    const auto apply = [&](std::uint32_t now) {
      if (const auto change = schedule.SystemTimerChange(now)) {
        ++periodChanges;
        period = *change;
        next = now + period;
      }
    };
    for (std::uint32_t step = 0; step < length; ++step) {
      const std::uint32_t now = begin + step;
      for (const Started& start : starts) {
        if (start.at == step) {
          schedule.Start(start.key, start.interval, now);
          apply(now);
        }
      }
      if (period != 0 && now == next) {
        ++wakes;
        next += period;
        for (const TimerSchedule::Key key : schedule.TakeDue(now)) {
          ticks[key].push_back(step);
          for (const Started& start : starts) {
            if (start.key == key && start.once) schedule.Stop(key);
          }
        }
        apply(now);
      }
    }
  }

  // The gaps between a timer's ticks.
  std::vector<std::uint32_t> Gaps(TimerSchedule::Key key) const {
    std::vector<std::uint32_t> gaps;
    const std::vector<std::uint32_t>& at = ticks.at(key);
    for (std::size_t i = 1; i < at.size(); ++i) gaps.push_back(at[i] - at[i - 1]);
    return gaps;
  }
};

enum Key : TimerSchedule::Key { kPinger = 1, kCpu, kMemory, kAlarm, kSound, kLatch };

// The program's start: the pinger, the two graphs, then the alarm and its sound, each panel a few
// milliseconds after the last, and later a click on the tray icon starts its 15 ms latch.
TEST(TimerSchedule, TimersOnTheAlarmsBeatShareItsWakeUpsAndOthersKeepTheirOwnTimes) {
  const Simulation run({{0, kPinger, 65535},
                 {3, kCpu, 300},
                 {4, kMemory, 300},
                 {37, kAlarm, 100},
                 {38, kSound, 65535},
                 {5042, kLatch, 15, true}},
                0xFFFFF000u, 10000);  // the clock wraps during the run
  EXPECT_LE(run.wakes, 101) << "the alarm's 100 wake-ups, and one for the latch";
  EXPECT_LE(run.periodChanges, 8);
  EXPECT_EQ(run.ticks.at(kAlarm).size(), 99u);
  EXPECT_EQ(run.ticks.at(kAlarm).front(), 137u);
  for (const Key graph : {kCpu, kMemory}) {
    EXPECT_EQ(run.ticks.at(graph).size(), 33u);
    // The first tick moves onto the alarm's beat; every later one keeps the period, but for the
    // one that moves onto the latch's 15 ms beat while it runs.
    EXPECT_NEAR(static_cast<double>(run.ticks.at(graph).front()), 303.0, 300.0 / 4);
    for (const std::uint32_t gap : run.Gaps(graph)) EXPECT_NEAR(gap, 300.0, 7.0);
  }
  EXPECT_EQ(run.ticks.at(kLatch).front(), 5057u) << "a short timer off the beat is not delayed";
  EXPECT_EQ(run.ticks.count(kPinger), 0u);
}

TEST(TimerSchedule, ALateWakeUpFiresOnceAndKeepsTheBeatAndNothingRunningStopsTheSystemTimer) {
  TimerSchedule schedule(kTolerance);
  schedule.Start(kAlarm, 100, 1000);
  EXPECT_EQ(schedule.SystemTimerChange(1000), std::optional<std::uint32_t>(100));
  EXPECT_EQ(schedule.SystemTimerChange(1050), std::nullopt) << "its period serves";
  EXPECT_TRUE(schedule.TakeDue(1085).empty()) << "15 ms early is beyond the tolerance";
  EXPECT_EQ(schedule.TakeDue(1095), std::vector<TimerSchedule::Key>{kAlarm}) << "5 ms early";
  EXPECT_TRUE(schedule.TakeDue(1100).empty());
  // Fired early, the next period starts at the wake-up; fired 250 ms late, once, on the beat.
  EXPECT_EQ(schedule.TakeDue(1445), std::vector<TimerSchedule::Key>{kAlarm});
  EXPECT_TRUE(schedule.TakeDue(1480).empty());
  EXPECT_EQ(schedule.TakeDue(1495), std::vector<TimerSchedule::Key>{kAlarm});
  schedule.Stop(kAlarm);
  EXPECT_EQ(schedule.SystemTimerChange(1500), std::optional<std::uint32_t>(0));
  EXPECT_EQ(schedule.SystemTimerChange(1600), std::nullopt);
}

}  // namespace
}  // namespace zephyr::ui
