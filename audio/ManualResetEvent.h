#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace audio {

// An event that stays signalled until it is reset; every waiter is released while it is set.
class ManualResetEvent {
 public:
  explicit ManualResetEvent(bool signalled) : signalled_(signalled) {}
  ManualResetEvent(const ManualResetEvent&) = delete;
  ManualResetEvent& operator=(const ManualResetEvent&) = delete;

  void set() {
    {
      std::lock_guard<std::mutex> guard(mutex_);
      signalled_ = true;
    }
    changed_.notify_all();
  }
  void reset() {
    std::lock_guard<std::mutex> guard(mutex_);
    signalled_ = false;
  }
  void wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return signalled_; });
  }
  // True when the event was (or became) signalled within `timeout`.
  template <typename Duration>
  bool waitFor(Duration timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, timeout, [this] { return signalled_; });
  }
  bool isSet() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return signalled_;
  }

 private:
  // Guards `signalled_`.
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool signalled_;
};

}  // namespace audio
