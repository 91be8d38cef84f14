#include "tools/demo/Mp3Encoder.h"

#include <lame/lame.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace demo {
namespace {

constexpr int kFramesPerCall = 8192;
constexpr int kFastQuality = 7;  // lame's -q 7: quick, still clean for synthesized tones

}  // namespace

Mp3Encoder::Mp3Encoder(const Mp3Format& format) : channels_(format.channels) {
  lame_ = lame_init();
  if (!lame_) return;
  lame_set_in_samplerate(lame_, format.sampleRate);
  lame_set_out_samplerate(lame_, format.sampleRate);
  lame_set_num_channels(lame_, format.channels);
  lame_set_mode(lame_, format.channels == 1 ? MONO : JOINT_STEREO);
  lame_set_quality(lame_, kFastQuality);
  lame_set_write_id3tag_automatic(lame_, 0);
  lame_set_bWriteVbrTag(lame_, format.infoFrame ? 1 : 0);
  if (format.vbrQuality >= 0) {
    lame_set_VBR(lame_, vbr_default);
    lame_set_VBR_quality(lame_, static_cast<float>(format.vbrQuality));
  } else {
    lame_set_VBR(lame_, vbr_off);
    lame_set_brate(lame_, format.bitrateKbps);
  }
  if (lame_init_params(lame_) < 0) {
    lame_close(lame_);
    lame_ = nullptr;
  }
}

Mp3Encoder::~Mp3Encoder() {
  if (lame_) lame_close(lame_);
}

Mp3Encoder::Mp3Encoder(Mp3Encoder&& other) noexcept
    : lame_(std::exchange(other.lame_, nullptr)), channels_(other.channels_), wroteInfoFrame_(other.wroteInfoFrame_) {}

Mp3Encoder& Mp3Encoder::operator=(Mp3Encoder&& other) noexcept {
  if (this != &other) {
    if (lame_) lame_close(lame_);
    lame_ = std::exchange(other.lame_, nullptr);
    channels_ = other.channels_;
    wroteInfoFrame_ = other.wroteInfoFrame_;
  }
  return *this;
}

std::vector<uint8_t> Mp3Encoder::EncodeAll(const std::vector<int16_t>& samples) {
  std::vector<uint8_t> out;
  if (!lame_) return out;
  // lame's documented worst case: 1.25 * samples + 7200 bytes per call.
  std::vector<unsigned char> buffer(kFramesPerCall * 5 / 4 + 7200);
  const size_t frames = samples.size() / static_cast<size_t>(channels_);
  for (size_t done = 0; done < frames;) {
    const int count = static_cast<int>(std::min<size_t>(kFramesPerCall, frames - done));
    const short* block = samples.data() + done * static_cast<size_t>(channels_);
    const int written =
        channels_ == 1
            ? lame_encode_buffer(lame_, block, block, count, buffer.data(), static_cast<int>(buffer.size()))
            : lame_encode_buffer_interleaved(lame_, const_cast<short*>(block), count, buffer.data(),
                                             static_cast<int>(buffer.size()));
    if (written < 0) return {};
    out.insert(out.end(), buffer.begin(), buffer.begin() + written);
    done += static_cast<size_t>(count);
  }
  const int flushed = lame_encode_flush(lame_, buffer.data(), static_cast<int>(buffer.size()));
  if (flushed < 0) return {};
  out.insert(out.end(), buffer.begin(), buffer.begin() + flushed);
  // The first frame was a placeholder for the Xing/LAME header; fill it in now.
  const size_t tagSize = lame_get_bWriteVbrTag(lame_) ? lame_get_lametag_frame(lame_, buffer.data(), buffer.size()) : 0;
  wroteInfoFrame_ = tagSize > 0 && tagSize <= out.size();
  if (wroteInfoFrame_) std::memcpy(out.data(), buffer.data(), tagSize);
  return out;
}

int Mp3Encoder::EncoderDelay() const { return lame_ ? lame_get_encoder_delay(lame_) : 0; }

int Mp3Encoder::EncoderPadding() const { return lame_ ? lame_get_encoder_padding(lame_) : 0; }

}  // namespace demo
