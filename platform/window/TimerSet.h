#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>

namespace platform {

// Periodic timers by id, on the UI thread. A timer that is late fires once, then runs on a
// full period from that moment (no bursts to catch up).
class TimerSet {
 public:
  using Clock = std::chrono::steady_clock;

  // Starts or restarts the timer; a period of 0 counts as 1 ms.
  void Set(std::uint32_t id, std::uint32_t periodMs, Clock::time_point now);
  void Kill(std::uint32_t id);
  // The id of one timer that is due at `now`, restarting its period; nullopt when none is.
  std::optional<std::uint32_t> TakeDue(Clock::time_point now);
  // Milliseconds until the next timer is due (0 when one is due); nullopt with no timers.
  std::optional<int> MillisecondsUntilNext(Clock::time_point now) const;
  bool IsEmpty() const { return timers_.empty(); }
  void Clear() { timers_.clear(); }

 private:
  struct Timer {
    std::chrono::milliseconds period;
    Clock::time_point due;
  };
  std::map<std::uint32_t, Timer> timers_;
};

}  // namespace platform
