#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/audio/PcmSink.h"

namespace platform {

// The desktop's audio device through SDL2. SDL's audio callback copies the queued buffers to
// the device without allocating, logging or locking; it hands finished buffers to a driver
// thread that delivers the completion notices. SDL asks for more only once the device has
// consumed what the previous callback gave it, so what a callback copies is counted by
// `Position`, and its finished buffers are reported done, at the next callback: the position
// never runs ahead of the device and a drained sink has had its last samples played.
class SdlPcmSink : public PcmSink {
 public:
  // Buffers that may be outstanding (queued or awaiting their notice) at once.
  static constexpr uint32_t kMaxQueued = 64;
  // Sample frames SDL asks for per callback: about 23 ms at 44.1 kHz.
  static constexpr uint16_t kCallbackFrames = 1024;

  SdlPcmSink();
  ~SdlPcmSink() override;
  SdlPcmSink(const SdlPcmSink&) = delete;
  SdlPcmSink& operator=(const SdlPcmSink&) = delete;

  uint32_t DeviceCount() const override;
  PcmOpenResult Open(const PcmFormat& format, DoneHandler done) override;
  void Close() override;
  bool Write(const uint8_t* data, uint32_t bytes, void* tag) override;
  void Pause() override;
  void Restart() override;
  void Reset() override;
  uint64_t Position() const override { return position_.load(std::memory_order_acquire); }

 private:
  struct Entry {
    const uint8_t* data = nullptr;
    uint32_t bytes = 0;
    void* tag = nullptr;
  };
  class Semaphore;

  static void AudioCallback(void* self, uint8_t* stream, int length);
  void Fill(uint8_t* stream, uint32_t length);
  void DriverLoop();

  bool sdlReady_ = false;
  uint32_t device_ = 0;  // SDL_AudioDeviceID; 0 while closed
  PcmFormat format_;
  uint8_t silence_ = 0;
  DoneHandler done_;
  std::thread driver_;
  std::unique_ptr<Semaphore> doneReady_;  // posted once per entry put on `doneRing_`
  std::atomic<bool> quit_{false};
  std::atomic<uint64_t> position_{0};

  // Queued buffers: written by `Write`, read by the callback (single producer, single
  // consumer; `Reset` moves the read index only while SDL's device lock keeps the callback out).
  std::array<Entry, kMaxQueued> queue_;
  std::atomic<uint64_t> queueWrite_{0};
  std::atomic<uint64_t> queueRead_{0};
  uint32_t headOffset_ = 0;  // bytes of the head buffer already copied; callback-owned
  // What the last callback copied and the device may still be playing; published by the next
  // callback (or dropped by `Reset`, which holds SDL's device lock). Callback-owned.
  uint64_t pendingFrames_ = 0;
  uint64_t pendingDoneWrite_ = 0;  // doneRing_ write index counting the unpublished entries
  // Finished buffers' tags: written by the callback (or `Reset`), read by the driver thread;
  // `doneWrite_` counts those published to it.
  std::array<void*, kMaxQueued> doneRing_;
  std::atomic<uint64_t> doneWrite_{0};
  std::atomic<uint64_t> doneRead_{0};

  // Guards nothing but the wait of `Reset` for the driver to deliver `doneDelivered_` notices.
  std::mutex deliveredMutex_;
  std::condition_variable deliveredChanged_;
  uint64_t doneDelivered_ = 0;  // under deliveredMutex_
};

}  // namespace platform
