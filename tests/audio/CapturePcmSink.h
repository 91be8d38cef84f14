#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/audio/ThreadedPcmSink.h"

namespace audiotest {

// A paced sink that keeps every sample it plays, counts its opens and notes where in what it
// played each flush (a seek) came.
class CapturePcmSink : public platform::ThreadedPcmSink {
 public:
  explicit CapturePcmSink(double speed) : ThreadedPcmSink(speed) {}
  ~CapturePcmSink() override { Close(); }

  void Reset() override {
    ThreadedPcmSink::Reset();
    std::lock_guard<std::mutex> guard(mutex_);
    flushes_.push_back(samples_.size());
  }
  std::vector<int16_t> Samples() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return samples_;
  }
  // Samples played before each flush.
  std::vector<size_t> Flushes() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return flushes_;
  }
  int Opens() const { return opens_.load(); }

 protected:
  platform::PcmOpenResult OnOpen(const platform::PcmFormat&) override {
    ++opens_;
    return platform::PcmOpenResult::kOk;
  }
  void Consume(const uint8_t* data, uint32_t bytes) override {
    std::lock_guard<std::mutex> guard(mutex_);
    for (uint32_t i = 0; i + 1 < bytes; i += 2) samples_.push_back(int16_t(uint16_t(data[i] | data[i + 1] << 8)));
  }
  void OnClose() override {}

 private:
  mutable std::mutex mutex_;  // guards samples_ and flushes_
  std::vector<int16_t> samples_;
  std::vector<size_t> flushes_;
  std::atomic<int> opens_{0};
};

}  // namespace audiotest
