#include "server/LameEncoder.h"

#include <lame/lame.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "server/Mp3Layout.h"

namespace server {
namespace {

constexpr int64_t kFramesPerCall = 16384;

// LAME's documented worst case for one call: 1.25 × samples + 7200 bytes.
size_t OutputCapacity(int64_t frames) { return static_cast<size_t>(frames * 5 / 4 + 7200); }

}  // namespace

LameEncoder::~LameEncoder() {
  if (lame_) lame_close(lame_);
}

LameEncoder::LameEncoder(LameEncoder&& other) noexcept
    : lame_(std::exchange(other.lame_, nullptr)), channels_(other.channels_) {}

LameEncoder& LameEncoder::operator=(LameEncoder&& other) noexcept {
  if (this != &other) {
    if (lame_) lame_close(lame_);
    lame_ = std::exchange(other.lame_, nullptr);
    channels_ = other.channels_;
  }
  return *this;
}

bool LameEncoder::Open(int channels, int bitrateKbps, std::string& error) {
  if (lame_) lame_close(lame_);
  channels_ = channels == 1 ? 1 : 2;
  lame_ = lame_init();
  if (!lame_) {
    error = "cannot start the MP3 encoder";
    return false;
  }
  lame_set_in_samplerate(lame_, Mp3Layout::kSampleRate);
  lame_set_out_samplerate(lame_, Mp3Layout::kSampleRate);
  lame_set_num_channels(lame_, channels_);
  lame_set_mode(lame_, channels_ == 1 ? MONO : JOINT_STEREO);
  lame_set_VBR(lame_, vbr_off);
  lame_set_brate(lame_, bitrateKbps);
  lame_set_quality(lame_, kQuality);
  lame_set_write_id3tag_automatic(lame_, 0);
  lame_set_bWriteVbrTag(lame_, 0);
  if (lame_init_params(lame_) < 0 || lame_get_encoder_delay(lame_) != Mp3Layout::kEncoderDelay) {
    lame_close(lame_);
    lame_ = nullptr;
    error = "the MP3 encoder refuses " + std::to_string(bitrateKbps) + " kbit/s";
    return false;
  }
  return true;
}

bool LameEncoder::Encode(const int16_t* samples, int64_t frames, std::string& out) {
  if (!lame_) return false;
  std::vector<unsigned char> buffer(OutputCapacity(std::min(frames, kFramesPerCall)));
  for (int64_t done = 0; done < frames;) {
    const int count = static_cast<int>(std::min(frames - done, kFramesPerCall));
    const int16_t* at = samples + done * channels_;
    // LAME's interface takes mutable pointers it does not write through.
    short* pcm = const_cast<short*>(reinterpret_cast<const short*>(at));
    const int written =
        channels_ == 1
            ? lame_encode_buffer(lame_, pcm, pcm, count, buffer.data(), static_cast<int>(buffer.size()))
            : lame_encode_buffer_interleaved(lame_, pcm, count, buffer.data(), static_cast<int>(buffer.size()));
    if (written < 0) return false;
    out.append(reinterpret_cast<const char*>(buffer.data()), static_cast<size_t>(written));
    done += count;
  }
  return true;
}

bool LameEncoder::Flush(std::string& out) {
  if (!lame_) return false;
  std::vector<unsigned char> buffer(OutputCapacity(0));
  const int written = lame_encode_flush(lame_, buffer.data(), static_cast<int>(buffer.size()));
  if (written < 0) return false;
  out.append(reinterpret_cast<const char*>(buffer.data()), static_cast<size_t>(written));
  return true;
}

std::string LameEncoder::Name() { return std::string("LAME") + get_lame_short_version(); }

}  // namespace server
