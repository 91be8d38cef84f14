#include "platform/audio/wav/WavRecorder.h"

#include <algorithm>
#include <cstring>

#include "platform/DebugLog.h"

namespace platform {
namespace {

// The RIFF sizes are 32-bit; a longer recording keeps the largest size that fits.
constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFu - WavRecorder::kHeaderBytes;
// Silence is written in pieces of at most this many bytes.
constexpr size_t kSilenceChunkBytes = 16384;

void Put16(uint8_t* at, uint32_t value) {
  at[0] = uint8_t(value);
  at[1] = uint8_t(value >> 8);
}

void Put32(uint8_t* at, uint32_t value) {
  Put16(at, value & 0xFFFF);
  Put16(at + 2, value >> 16);
}

}  // namespace

std::string WavRecorder::NumberedPath(const std::string& path, unsigned number) {
  if (number <= 1) return path;
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
  const size_t at = hasExtension ? dot : path.size();
  return path.substr(0, at) + "-" + std::to_string(number) + path.substr(at);
}

bool WavRecorder::Begin(const PcmFormat& format, bool goOn) {
  Pause();
  const bool append = goOn && number_ > 0 && format == format_;
  if (!append) {
    number_ = goOn ? number_ + 1 : 1;
    currentPath_ = NumberedPath(path_, number_);
    format_ = format;
    dataBytes_ = 0;
    if (number_ > 1) DebugPrintf("WavRecorder: the format changes; the recording goes on in %s", currentPath_.c_str());
  }
  file_.reset(std::fopen(currentPath_.c_str(), append ? "r+b" : "wb"));
  if (!file_) {
    DebugPrintf("WavRecorder: cannot create %s", currentPath_.c_str());
    return false;
  }
  WriteHeader();
  return true;
}

void WavRecorder::Write(const uint8_t* data, uint32_t bytes) {
  if (!file_) return;
  if (std::fwrite(data, 1, bytes, file_.get()) != bytes) {
    DebugPrintf("WavRecorder: write to %s failed", currentPath_.c_str());
  }
  dataBytes_ += bytes;
}

void WavRecorder::WriteSilence(uint64_t frames) {
  if (!file_) return;
  static constexpr uint8_t kZeros[kSilenceChunkBytes] = {};
  uint64_t bytes = frames * format_.BlockAlign();
  while (bytes > 0) {
    const uint32_t piece = uint32_t(std::min<uint64_t>(bytes, kSilenceChunkBytes));
    Write(kZeros, piece);
    bytes -= piece;
  }
}

void WavRecorder::Pause() {
  if (!file_) return;
  WriteHeader();
  if (std::fflush(file_.get()) != 0) DebugPrintf("WavRecorder: flush of %s failed", currentPath_.c_str());
  file_.reset();
}

void WavRecorder::WriteHeader() {
  const uint32_t dataBytes = uint32_t(std::min(dataBytes_, kMaxDataBytes));
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
