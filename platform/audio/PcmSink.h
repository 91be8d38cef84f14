#pragma once

#include <cstdint>
#include <functional>

namespace platform {

// Sample format of a PCM sink: interleaved signed little-endian samples.
struct PcmFormat {
  uint32_t channels = 0;
  uint32_t sampleRate = 0;
  uint32_t bitsPerSample = 0;

  uint32_t BlockAlign() const { return channels * bitsPerSample / 8; }
  uint32_t BytesPerSecond() const { return sampleRate * BlockAlign(); }
  bool operator==(const PcmFormat& other) const {
    return channels == other.channels && sampleRate == other.sampleRate &&
           bitsPerSample == other.bitsPerSample;
  }
  bool operator!=(const PcmFormat& other) const { return !(*this == other); }
};

enum class PcmOpenResult {
  kOk,
  kBusy,   // the device is in use by someone else; trying again later may succeed
  kError,  // any other failure
};

// A wave-out style PCM device. Buffers are queued by address and played in order; each one is
// returned through the completion handler, in queue order, on the sink's own driver thread —
// or, for a sink that plays without pacing, inside the `Write` or `Restart` call that plays it.
// The caller keeps a queued buffer's memory unchanged until its completion notice.
//
// Calls other than the completion handler come from the owner, serialised by the owner; the
// handler must not call back into the sink, nor take a lock the owner holds around its calls.
class PcmSink {
 public:
  // Receives the tag of a buffer that has been played (or flushed by `Reset`).
  using DoneHandler = std::function<void(void* tag)>;

  virtual ~PcmSink() = default;

  // Number of devices this sink can open; 0 means no audio device at all.
  virtual uint32_t DeviceCount() const = 0;

  // Opens the device with `format`, playing at once (not paused). `done` is called for every
  // completed buffer until `Close` returns.
  virtual PcmOpenResult Open(const PcmFormat& format, DoneHandler done) = 0;

  // Flushes (as `Reset`) and closes; no completion notice arrives after it returns. Harmless
  // when closed.
  virtual void Close() = 0;

  // Queues `bytes` bytes at `data` (a whole number of sample frames). False when closed or the
  // queue is full, in which case no notice will come for it.
  virtual bool Write(const uint8_t* data, uint32_t bytes, void* tag) = 0;

  virtual void Pause() = 0;
  virtual void Restart() = 0;

  // Drops every queued buffer unplayed, delivering its completion notice before returning, and
  // sets the position back to 0. The paused state is kept.
  virtual void Reset() = 0;

  // Sample frames played since `Open` or the last `Reset`.
  virtual uint64_t Position() const = 0;
};

}  // namespace platform
