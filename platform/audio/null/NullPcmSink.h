#pragma once

#include <atomic>

#include "platform/audio/ThreadedPcmSink.h"

namespace platform {

// A sink that plays into nothing: each buffer is consumed after its real duration divided by
// `speed` (1 = real time, 0 = as fast as possible). Tests can make it report no device or a
// busy device.
class NullPcmSink : public ThreadedPcmSink {
 public:
  explicit NullPcmSink(double speed = 1.0) : ThreadedPcmSink(speed) {}
  ~NullPcmSink() override { Close(); }

  uint32_t DeviceCount() const override { return deviceCount_.load(); }
  void SetDeviceCount(uint32_t count) { deviceCount_.store(count); }
  // The next `count` opens answer kBusy.
  void SetBusyOpens(uint32_t count) { busyOpens_.store(count); }
  // Opens attempted so far, successful or not.
  uint32_t OpenAttempts() const { return openAttempts_.load(); }
  // Bytes consumed since construction.
  uint64_t BytesPlayed() const { return bytesPlayed_.load(); }

 protected:
  PcmOpenResult OnOpen(const PcmFormat& format) override;
  void Consume(const uint8_t*, uint32_t bytes) override { bytesPlayed_.fetch_add(bytes); }
  void OnClose() override {}

 private:
  std::atomic<uint32_t> deviceCount_{1};
  std::atomic<uint32_t> busyOpens_{0};
  std::atomic<uint32_t> openAttempts_{0};
  std::atomic<uint64_t> bytesPlayed_{0};
};

}  // namespace platform
