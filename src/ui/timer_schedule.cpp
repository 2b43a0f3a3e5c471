#include "ui/timer_schedule.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace zephyr::ui {

void TimerSchedule::Snap(Entry& entry, const Entry& beat) {
  const auto period = static_cast<std::int32_t>(beat.interval);
  // The beat's due time nearest to the entry's.
  const std::int32_t behind = ((Until(entry.due, beat.due) % period) + period) % period;
  const std::int32_t shift = behind > period / 2 ? period - behind : -behind;
  const auto allowed = static_cast<std::int32_t>(std::min(beat.interval / 2, entry.interval / 4));
  if (std::abs(shift) <= allowed) entry.due += static_cast<std::uint32_t>(shift);
}

void TimerSchedule::Start(Key key, std::uint32_t intervalMs, std::uint32_t now) {
  timers_.erase(key);
  Entry started{std::max<std::uint32_t>(intervalMs, 1), 0};
  started.due = now + started.interval;
  const auto shortest = std::min_element(
      timers_.begin(), timers_.end(),
      [](const auto& a, const auto& b) { return a.second.interval < b.second.interval; });
  if (shortest != timers_.end() && shortest->second.interval <= started.interval) {
    Snap(started, shortest->second);
  } else {
    // The new beat: the longer timers move onto it.
    for (auto& [other, entry] : timers_) Snap(entry, started);
  }
  timers_[key] = started;
}

std::vector<TimerSchedule::Key> TimerSchedule::TakeDue(std::uint32_t now) {
  std::vector<std::pair<std::int32_t, Key>> due;
  for (const auto& [key, entry] : timers_) {
    const std::int32_t until = Until(entry.due, now);
    if (until <= static_cast<std::int32_t>(tolerance_)) due.emplace_back(until, key);
  }
  std::stable_sort(due.begin(), due.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<Key> keys;
  for (const auto& [until, key] : due) {
    Entry& entry = timers_.at(key);
    if (until > 0) {
      entry.due = now + entry.interval;
    } else {
      // On time or late: the next due time on its beat that is still ahead.
      const std::uint32_t behind = now - entry.due;
      entry.due += (behind / entry.interval + 1) * entry.interval;
    }
    keys.push_back(key);
  }
  return keys;
}

std::optional<std::uint32_t> TimerSchedule::EarliestDue() const {
  std::optional<std::uint32_t> earliest;
  for (const auto& [key, entry] : timers_) {
    if (!earliest || Until(entry.due, *earliest) < 0) earliest = entry.due;
  }
  return earliest;
}

std::optional<std::uint32_t> TimerSchedule::SystemTimerChange(std::uint32_t now) {
  const std::optional<std::uint32_t> earliest = EarliestDue();
  if (!earliest) {
    if (systemPeriod_ == 0) return std::nullopt;
    systemPeriod_ = 0;
    return 0u;
  }
  if (systemPeriod_ != 0) {
    // The expiry after the one that woke the program, or the first one still ahead.
    while (Until(systemNext_, now) <= 0) systemNext_ += systemPeriod_;
    const std::int32_t early = Until(*earliest, systemNext_);
    // On time to the millisecond the clock is read to, or early within the tolerance.
    if (early >= -1 && early <= static_cast<std::int32_t>(tolerance_)) return std::nullopt;
  }
  systemPeriod_ = static_cast<std::uint32_t>(std::max<std::int32_t>(Until(*earliest, now), 1));
  systemNext_ = now + systemPeriod_;
  return systemPeriod_;
}

}  // namespace zephyr::ui
