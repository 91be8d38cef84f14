#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/ManualResetEvent.h"
#include "platform/audio/PcmSink.h"

namespace audio {

class WaveOutput;

// One buffer of the output ring. The caller of `waitFreeBuffer` writes PCM at `data` (up to
// `bufferLength` bytes) and sets `bytesRecorded` before handing it to `write`.
struct WaveHeader {
  uint8_t* data = nullptr;
  uint32_t bufferLength = 0;
  uint32_t bytesRecorded = 0;
  WaveOutput* owner = nullptr;
};

// Plays PCM through a PCM sink with a ring of equally sized buffers sized for half a second.
//
// Threads: the playback thread (open, waitFreeBuffer, write, position, setPaused, close), the
// user-interface thread (position, bufferFill, setPaused, close) and the sink's driver thread
// (completion notices). Lock order: `deviceLock_` before `bufferLock_`; notices take only
// `bufferLock_`. The ring's memory stays valid after `close` until the next `open` of another
// size or destruction, so that a thread still decoding into a buffer when another thread
// closes the device never writes into freed memory.
class WaveOutput {
 public:
  // The length of audio the buffer ring is sized for.
  static constexpr uint32_t totalBufferMs = 500;
  // Attempts to open a busy device, and the pause between them.
  static constexpr uint32_t kOpenAttempts = 10;
  static constexpr std::chrono::milliseconds kBusyRetryDelay{100};
  // Buffer size and count before the first open.
  static constexpr uint32_t kInitialBufferSize = 16384;
  static constexpr uint32_t kInitialBufferCount = 8;

  explicit WaveOutput(std::unique_ptr<platform::PcmSink> sink);
  ~WaveOutput();
  WaveOutput(const WaveOutput&) = delete;
  WaveOutput& operator=(const WaveOutput&) = delete;

  // Opens the device for `channels` × `sampleRate` × `bitsPerSample` PCM, keeping it as it is
  // when it is already open with that format. False when there is no device, it stays busy for
  // `kOpenAttempts` tries, or anything else fails; the output is then closed.
  bool open(uint32_t channels, uint32_t sampleRate, uint32_t bitsPerSample);
  // Flushes and closes the device; wakes a thread waiting in `waitFreeBuffer`.
  void close();
  // Flushes every queued buffer and leaves the device paused with position 0.
  void reset();
  void setPaused(bool paused);

  // Waits until a buffer is free and returns it; null when the output is (or gets) closed,
  // or `interruptWait` was called.
  WaveHeader* waitFreeBuffer();
  // Makes the current (or next) `waitFreeBuffer` return null once.
  void interruptWait();
  // Plays `header->bytesRecorded` bytes of it; 0 bytes hands the same buffer out again.
  void write(WaveHeader* header);

  // Sample frames played since the last open or reset; 0 while closed.
  uint32_t position();
  bool isDrained();
  // Blocks until the sink hands back a buffer, or the output is flushed or closed; false when
  // `timeout` passed first.
  bool waitBufferDone(std::chrono::milliseconds timeout);
  int32_t samplesAhead();
  // Sample frames written since the last open or reset.
  uint32_t samplesWritten() const;
  void bufferFill(uint32_t& capacity, uint32_t& queued) const;

  bool isOpen() const;
  uint32_t bufferSize() const;
  uint32_t bufferCount() const;
  uint32_t inFlight() const;
  platform::PcmFormat format() const;

  // Shortens the pause between open attempts on a busy device (tests).
  void setBusyRetryDelay(std::chrono::milliseconds delay) { busyRetryDelay_ = delay; }

 private:
  void closeLocked();
  void resetLocked();
  void flushLocked();
  bool prepareRing();
  void onBufferDone();
  void onBufferDoneLocked();

  std::unique_ptr<platform::PcmSink> sink_;
  std::chrono::milliseconds busyRetryDelay_ = kBusyRetryDelay;
  platform::ManualResetEvent freeBufferEvent_{true};

  // Around every call on the sink and `open`/`close`/`reset`/`write` as a whole.
  mutable std::mutex deviceLock_;
  bool open_ = false;              // written under both locks, read under either
  platform::PcmFormat format_;     // written under both locks, read under either
  std::unique_ptr<uint8_t[]> dataBlock_;  // deviceLock_; used by the buffer's borrower
  size_t dataBlockBytes_ = 0;             // deviceLock_

  // Guards the ring's counters and the transitions of `freeBufferEvent_`.
  mutable std::mutex bufferLock_;
  std::vector<WaveHeader> headers_;  // resized under both locks, read under either
  uint32_t bufferSize_ = kInitialBufferSize;    // written under both locks
  uint32_t bufferCount_ = kInitialBufferCount;  // written under both locks
  uint32_t nextIndex_ = 0;
  uint32_t inFlight_ = 0;
  bool interrupted_ = false;
  uint32_t samplesWritten_ = 0;
  uint64_t buffersDone_ = 0;               // counts completions, flushes and closes
  std::condition_variable bufferDone_;     // notified under bufferLock_ when buffersDone_ grows
};

}  // namespace audio
