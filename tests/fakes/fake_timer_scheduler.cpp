#include "fakes/fake_timer_scheduler.h"

#include <algorithm>

#include "ui/controls.h"

namespace zephyr::testing {

void FakeTimerScheduler::Start(ui::Timer& timer) {
  Stop(timer);
  entries_.push_back({&timer, now_ + static_cast<std::uint64_t>(timer.Interval()), nextOrder_++});
}

void FakeTimerScheduler::Stop(ui::Timer& timer) {
  std::erase_if(entries_, [&timer](const Entry& entry) { return entry.timer == &timer; });
}

void FakeTimerScheduler::Advance(std::uint64_t milliseconds) {
  const std::uint64_t target = now_ + milliseconds;
  for (;;) {
    const auto next =
        std::min_element(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
          return a.due != b.due ? a.due < b.due : a.order < b.order;
        });
    if (next == entries_.end() || next->due > target) break;
    ui::Timer* timer = next->timer;
    now_ = std::max(now_, next->due);
    // The next tick is counted from this one, as a periodic timer does; a handler that restarts
    // the timer replaces the entry.
    next->due += static_cast<std::uint64_t>(std::max(timer->Interval(), 1));
    ++ticks_;
    timer->Fire();
  }
  now_ = std::max(now_, target);
}

bool FakeTimerScheduler::IsRunning(const ui::Timer& timer) const {
  return std::any_of(entries_.begin(), entries_.end(),
                     [&timer](const Entry& entry) { return entry.timer == &timer; });
}

}  // namespace zephyr::testing
