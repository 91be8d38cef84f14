#include "platform/audio/wav/WavPcmSink.h"

#include <algorithm>
#include <cstring>

#include "platform/DebugLog.h"

namespace platform {
namespace {

// The RIFF sizes are 32-bit; a longer recording keeps the largest size that fits.
constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFu - WavPcmSink::kHeaderBytes;

void Put16(uint8_t* at, uint32_t value) {
  at[0] = uint8_t(value);
  at[1] = uint8_t(value >> 8);
}

void Put32(uint8_t* at, uint32_t value) {
  Put16(at, value & 0xFFFF);
  Put16(at + 2, value >> 16);
}

}  // namespace

PcmOpenResult WavPcmSink::OnOpen(const PcmFormat& format) {
  const bool append = appendOpens_ && written_;
  file_.reset(std::fopen(path_.c_str(), append ? "r+b" : "wb"));
  if (!file_) {
    DebugPrintf("WavPcmSink: cannot create %s", path_.c_str());
    return PcmOpenResult::kError;
  }
  if (append) {
    if (format.sampleRate != format_.sampleRate || format.channels != format_.channels ||
        format.bitsPerSample != format_.bitsPerSample) {
      DebugPrintf("WavPcmSink: %s goes on in another format than its header says", path_.c_str());
    }
    std::fseek(file_.get(), 0, SEEK_END);
    return PcmOpenResult::kOk;
  }
  format_ = format;
  dataBytes_ = 0;
  written_ = true;
  WriteHeader(0);
  return PcmOpenResult::kOk;
}

void WavPcmSink::Consume(const uint8_t* data, uint32_t bytes) {
  if (!file_) return;
  if (std::fwrite(data, 1, bytes, file_.get()) != bytes) {
    DebugPrintf("WavPcmSink: write to %s failed", path_.c_str());
  }
  dataBytes_ += bytes;
}

void WavPcmSink::OnClose() {
  if (!file_) return;
  WriteHeader(uint32_t(std::min(dataBytes_, kMaxDataBytes)));
  if (std::fflush(file_.get()) != 0) DebugPrintf("WavPcmSink: flush of %s failed", path_.c_str());
  file_.reset();
}

void WavPcmSink::WriteHeader(uint32_t dataBytes) {
  uint8_t header[kHeaderBytes];
  std::memcpy(header, "RIFF", 4);
  Put32(header + 4, dataBytes + kHeaderBytes - 8);
  std::memcpy(header + 8, "WAVEfmt ", 8);
  Put32(header + 16, 16);  // size of the PCM format chunk
  Put16(header + 20, 1);   // PCM
  Put16(header + 22, format_.channels);
  Put32(header + 24, format_.sampleRate);
  Put32(header + 28, format_.BytesPerSecond());
  Put16(header + 32, format_.BlockAlign());
  Put16(header + 34, format_.bitsPerSample);
  std::memcpy(header + 36, "data", 4);
  Put32(header + 40, dataBytes);
  std::fseek(file_.get(), 0, SEEK_SET);
  std::fwrite(header, 1, kHeaderBytes, file_.get());
  std::fseek(file_.get(), 0, SEEK_END);
}

}  // namespace platform
