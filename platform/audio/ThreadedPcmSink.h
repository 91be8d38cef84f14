#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/audio/PcmBufferQueue.h"
#include "platform/audio/PcmSink.h"

namespace platform {

// A PCM sink whose driver thread consumes the queued buffers itself, one after another, each
// taking its real duration divided by `speed`. With `speed` 0 there is nothing to pace and no
// driver thread: a buffer is consumed and handed back inside the call that plays it (`Write`,
// or `Restart` for what was queued while paused), which spares two thread switches a buffer.
// Subclasses say what consuming means (nothing, writing a file) and call `Close` in their
// destructors, so that no hook runs on a half-destroyed object.
class ThreadedPcmSink : public PcmSink {
 public:
  explicit ThreadedPcmSink(double speed);
  ~ThreadedPcmSink() override;
  ThreadedPcmSink(const ThreadedPcmSink&) = delete;
  ThreadedPcmSink& operator=(const ThreadedPcmSink&) = delete;

  uint32_t DeviceCount() const override { return 1; }
  PcmOpenResult Open(const PcmFormat& format, DoneHandler done) override;
  void Close() override;
  bool Write(const uint8_t* data, uint32_t bytes, void* tag) override;
  void Pause() override;
  void Restart() override;
  void Reset() override;
  uint64_t Position() const override { return position_.load(std::memory_order_acquire); }

  bool IsPaused() const;

 protected:
  // Called by `Open` before the driver thread starts; anything but kOk fails the open.
  virtual PcmOpenResult OnOpen(const PcmFormat& format) = 0;
  // Called on the driver thread for each buffer as it is played.
  virtual void Consume(const uint8_t* data, uint32_t bytes) = 0;
  // Called by `Close` after the driver thread has ended.
  virtual void OnClose() = 0;

 private:
  using Entry = PcmBufferQueue::Entry;
  using Clock = std::chrono::steady_clock;

  bool Immediate() const { return speed_ == 0; }
  // Consumes one buffer, counts it and hands it back (immediate mode, owner's thread).
  void Play(const Entry& entry);
  void DriverLoop();
  void FlushLocked(std::unique_lock<std::mutex>& lock);
  Clock::duration PlayTime(uint32_t bytes) const;

  const double speed_;
  PcmFormat format_;
  DoneHandler done_;
  std::thread driver_;
  std::atomic<uint64_t> position_{0};

  // Guards everything below: the queue, the flags and the pacing state of the head buffer.
  mutable std::mutex mutex_;
  std::condition_variable wake_;       // the driver thread waits here for work
  std::condition_variable flushDone_;  // `Reset` waits here for the driver's flush
  bool open_ = false;
  bool paused_ = false;
  bool quit_ = false;
  bool flushRequested_ = false;
  PcmBufferQueue queue_;
  bool headTimed_ = false;             // `headRemaining_` holds the head buffer's time left
  Clock::duration headRemaining_{};
};

}  // namespace platform
