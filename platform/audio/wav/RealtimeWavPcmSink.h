#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "platform/audio/PcmBufferQueue.h"
#include "platform/audio/PcmSink.h"
#include "platform/audio/wav/WavRecorder.h"

namespace platform {

// Records what a listener would hear, in real time: a clock thread consumes the queue at the
// format's sample rate, as a sound card does, in steps of `kPeriod`; whenever nothing is
// queued (paused, run dry, between a close and the next open) it records silence instead, so
// the recording's timeline is the wall clock's from the first open to the destructor. The
// files are a `WavRecorder`'s: one recording, a numbered file after each format change.
class RealtimeWavPcmSink : public PcmSink {
 public:
  static constexpr std::chrono::milliseconds kPeriod{5};

  explicit RealtimeWavPcmSink(std::string path) : recorder_(std::move(path)) {}
  ~RealtimeWavPcmSink() override { Close(); }
  RealtimeWavPcmSink(const RealtimeWavPcmSink&) = delete;
  RealtimeWavPcmSink& operator=(const RealtimeWavPcmSink&) = delete;

  uint32_t DeviceCount() const override { return 1; }
  PcmOpenResult Open(const PcmFormat& format, DoneHandler done) override;
  void Close() override;
  bool Write(const uint8_t* data, uint32_t bytes, void* tag) override;
  void Pause() override;
  void Restart() override;
  void Reset() override;
  uint64_t Position() const override { return position_.load(std::memory_order_acquire); }

 private:
  using Clock = std::chrono::steady_clock;
  using Entry = PcmBufferQueue::Entry;
  // What one step of the clock hands the recorder: queued bytes or silence, in order.
  struct Piece {
    const uint8_t* data = nullptr;  // null: `frames` frames of silence
    uint32_t bytes = 0;
    uint64_t frames = 0;
  };

  void ClockLoop();
  // Plays the frames due at `now` (counted from `start_`); notices go out after the write.
  void PlayUntil(Clock::time_point now, std::unique_lock<std::mutex>& lock);
  void FlushLocked(std::unique_lock<std::mutex>& lock);

  // Used by the owner while closed and by the clock thread while open.
  WavRecorder recorder_;
  PcmFormat format_;
  DoneHandler done_;
  std::thread clock_;
  std::atomic<uint64_t> position_{0};
  bool recorded_ = false;        // an open has started the recording (owner only)
  Clock::time_point closedAt_;   // where the recording stopped at the last close (owner only)
  Clock::time_point start_;      // the open's instant (set before the clock thread starts)
  uint64_t framesPlayed_ = 0;    // frames recorded since `start_` (clock thread only)

  // Guards the queue, the flags and `headOffset_`.
  mutable std::mutex mutex_;
  std::condition_variable wake_;       // the clock waits here between steps
  std::condition_variable flushDone_;  // `Reset` waits here for the clock's flush
  bool open_ = false;
  bool paused_ = false;
  bool quit_ = false;
  bool flushRequested_ = false;
  PcmBufferQueue queue_;
  uint32_t headOffset_ = 0;  // bytes of the head buffer already played
};

}  // namespace platform
