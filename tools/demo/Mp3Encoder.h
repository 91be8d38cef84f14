#pragma once

#include <cstdint>
#include <vector>

struct lame_global_struct;

namespace demo {

// How a track is encoded.
struct Mp3Format {
  int sampleRate = 44100;
  int channels = 2;       // 1 or 2
  int bitrateKbps = 128;  // constant bit rate; ignored when vbrQuality >= 0
  int vbrQuality = -1;    // 0 (best) .. 9: variable bit rate
  bool infoFrame = true;  // the leading Xing/Info frame with the LAME header
};

// One libmp3lame encoder, closed when the object goes away. Move-only; the same input and
// format always give the same bytes.
class Mp3Encoder {
 public:
  explicit Mp3Encoder(const Mp3Format& format);
  ~Mp3Encoder();
  Mp3Encoder(Mp3Encoder&& other) noexcept;
  Mp3Encoder& operator=(Mp3Encoder&& other) noexcept;
  Mp3Encoder(const Mp3Encoder&) = delete;
  Mp3Encoder& operator=(const Mp3Encoder&) = delete;

  bool IsValid() const { return lame_ != nullptr; }
  // Encodes interleaved 16-bit samples (channels per frame as in the format) into a complete
  // MP3 stream with its Xing/LAME header frame filled in. Empty on an encoder error.
  std::vector<uint8_t> EncodeAll(const std::vector<int16_t>& samples);
  // The encoder's delay and the padding it appended, in sample frames (the padding is known
  // once EncodeAll has flushed).
  int EncoderDelay() const;
  int EncoderPadding() const;
  // Whether EncodeAll wrote the Info frame (LAME leaves it out when a frame is too small for it).
  bool WroteInfoFrame() const { return wroteInfoFrame_; }

 private:
  lame_global_struct* lame_ = nullptr;
  int channels_ = 2;
  bool wroteInfoFrame_ = false;
};

}  // namespace demo
