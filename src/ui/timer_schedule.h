// When each running timer is next due, and which of them fire at a wake-up, on the system's
// wrapping 32-bit millisecond clock. All the program's timers run from one periodic system timer,
// and a timer due within the tolerance of a wake-up fires with it instead of waking the program
// again a few milliseconds later, as Windows 7's coalescable timers do (every Windows timer is
// rounded to the system's 10 to 16 ms tick anyway). Timers whose periods are multiples of the
// shortest one are put on its beat when they start, so they share its wake-ups: the alarm's
// 100 ms and the graphs' 300 ms wake the program 10 times a second instead of 16.
//
// A timer fired on time or late keeps its beat and skips the periods it missed entirely, as a
// Windows timer posts one WM_TIMER however late it is; one fired early starts its next period at
// the wake-up, so it stays with the timers it fired with.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace zephyr::ui {

class TimerSchedule {
 public:
  using Key = std::uintptr_t;

  explicit TimerSchedule(std::uint32_t toleranceMs) : tolerance_(toleranceMs) {}

  // Starts (or restarts) `key`: first due `intervalMs` from `now` (an interval of 0 counts as 1),
  // moved onto the shortest running timer's beat when that moves it by a quarter of its interval
  // or less, and by half the beat or less. A timer shorter than all others is the new beat, and
  // the others' next due times move onto it by the same rule.
  void Start(Key key, std::uint32_t intervalMs, std::uint32_t now);
  void Stop(Key key) { timers_.erase(key); }
  bool Running(Key key) const { return timers_.count(key) != 0; }
  std::size_t Count() const { return timers_.size(); }

  // The timers that fire at a wake-up at `now`, the earliest due first, each moved on to its next
  // due time before it is returned: a tick that runs the message loop and wakes again finds it
  // not due.
  std::vector<Key> TakeDue(std::uint32_t now);

  // What the system timer must do at `now`, after a wake-up or a start or stop: nothing (the
  // period it runs with wakes the program in time for the earliest timer, and not so early that
  // none is due), run with a new period from now, or stop (0).
  std::optional<std::uint32_t> SystemTimerChange(std::uint32_t now);

 private:
  struct Entry {
    std::uint32_t interval;
    std::uint32_t due;
  };
  // Signed distance from `now` to `time` on the wrapping clock.
  static std::int32_t Until(std::uint32_t time, std::uint32_t now) {
    return static_cast<std::int32_t>(time - now);
  }
  std::optional<std::uint32_t> EarliestDue() const;
  static void Snap(Entry& entry, const Entry& beat);

  std::uint32_t tolerance_;
  std::map<Key, Entry> timers_;
  std::uint32_t systemPeriod_ = 0;  // 0: the system timer is not running
  std::uint32_t systemNext_ = 0;    // its next expiry
};

}  // namespace zephyr::ui
