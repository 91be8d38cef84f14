#pragma once

#include <string>

#include "platform/audio/ThreadedPcmSink.h"
#include "platform/audio/wav/WavRecorder.h"

namespace platform {

// A sink that writes what it plays to a RIFF/WAVE file (a `WavRecorder`). Each `Open` starts
// the file afresh, or, with `appendOpens`, the first one does and later ones go on after what
// the earlier ones wrote (a recording of several tracks in a row); a later open in another
// format goes on in the next numbered file. Paced like the null sink (`speed` 0 = as fast as
// possible). Only what is played is written: no silence for pauses or gaps.
class WavPcmSink : public ThreadedPcmSink {
 public:
  explicit WavPcmSink(std::string path, double speed = 0.0, bool appendOpens = false)
      : ThreadedPcmSink(speed), recorder_(std::move(path)), appendOpens_(appendOpens) {}
  ~WavPcmSink() override { Close(); }

  static constexpr uint32_t kHeaderBytes = WavRecorder::kHeaderBytes;

 protected:
  PcmOpenResult OnOpen(const PcmFormat& format) override {
    return recorder_.Begin(format, appendOpens_) ? PcmOpenResult::kOk : PcmOpenResult::kError;
  }
  void Consume(const uint8_t* data, uint32_t bytes) override { recorder_.Write(data, bytes); }
  void OnClose() override { recorder_.Pause(); }

 private:
  // Used by the owner while no driver runs (closed, or unpaced), else by the driver until `Close`.
  WavRecorder recorder_;
  const bool appendOpens_;
};

}  // namespace platform
