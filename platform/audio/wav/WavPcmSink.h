#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "platform/audio/ThreadedPcmSink.h"

namespace platform {

// A sink that writes what it plays to a RIFF/WAVE file. Each `Open` starts the file afresh,
// or, with `appendOpens`, the first one does and later ones go on after what the earlier
// ones wrote (a recording of several tracks in a row; its header keeps the first track's
// format). The header's sizes are filled in at `Close`. Paced like the null sink (`speed` 0 =
// as fast as possible).
class WavPcmSink : public ThreadedPcmSink {
 public:
  explicit WavPcmSink(std::string path, double speed = 0.0, bool appendOpens = false)
      : ThreadedPcmSink(speed), path_(std::move(path)), appendOpens_(appendOpens) {}
  ~WavPcmSink() override { Close(); }

  // Size of the header written before the samples.
  static constexpr uint32_t kHeaderBytes = 44;

 protected:
  PcmOpenResult OnOpen(const PcmFormat& format) override;
  void Consume(const uint8_t* data, uint32_t bytes) override;
  void OnClose() override;

 private:
  struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };

  void WriteHeader(uint32_t dataBytes);

  const std::string path_;
  const bool appendOpens_;
  bool written_ = false;  // an earlier open made the file
  PcmFormat format_;
  // Owned by the opening thread until the driver starts, then by the driver until `Close`.
  std::unique_ptr<std::FILE, FileCloser> file_;
  uint64_t dataBytes_ = 0;
};

}  // namespace platform
