#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace platform {

// An event that stays signalled until it is reset: every waiter passes while it is set.
// Safe to use from any thread.
class ManualResetEvent {
 public:
  explicit ManualResetEvent(bool initiallySet) : set_(initiallySet) {}
  ManualResetEvent(const ManualResetEvent&) = delete;
  ManualResetEvent& operator=(const ManualResetEvent&) = delete;

  void Set();
  void Reset();
  bool IsSet() const;
  // Blocks until the event is set.
  void Wait() const;
  // Blocks until the event is set or `timeout` has passed; true when it is set.
  bool WaitFor(std::chrono::milliseconds timeout) const;

 private:
  // Guards set_.
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  bool set_;
};

}  // namespace platform
