#include "platform/window/TimerSet.h"

#include <algorithm>

namespace platform {

void TimerSet::Set(std::uint32_t id, std::uint32_t periodMs, Clock::time_point now) {
  std::chrono::milliseconds period(std::max<std::uint32_t>(periodMs, 1));
  timers_[id] = Timer{period, now + period};
}

void TimerSet::Kill(std::uint32_t id) { timers_.erase(id); }

std::optional<std::uint32_t> TimerSet::TakeDue(Clock::time_point now) {
  auto earliest = timers_.end();
  for (auto it = timers_.begin(); it != timers_.end(); ++it) {
    if (it->second.due <= now && (earliest == timers_.end() || it->second.due < earliest->second.due)) {
      earliest = it;
    }
  }
  if (earliest == timers_.end()) return std::nullopt;
  earliest->second.due = now + earliest->second.period;
  return earliest->first;
}

std::optional<int> TimerSet::MillisecondsUntilNext(Clock::time_point now) const {
  if (timers_.empty()) return std::nullopt;
  auto next = timers_.begin()->second.due;
  for (const auto& entry : timers_) next = std::min(next, entry.second.due);
  if (next <= now) return 0;
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(next - now).count();
  return static_cast<int>(ms) + 1;
}

}  // namespace platform
