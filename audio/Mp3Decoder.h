#pragma once

#include <cstdint>
#include <memory>

#include <mad.h>

namespace audio {

// Turns MPEG audio bytes into signed 16-bit little-endian PCM, one frame per `decode`, written
// straight into the caller's output area. A frame whose PCM does not fit is kept and delivered
// first by the next call. Used by one thread only.
class Mp3Decoder {
 public:
  // Results of `decode`.
  static constexpr int Ok = 0;
  static constexpr int NeedInput = 1;
  static constexpr int OutputFull = 2;
  static constexpr int RecoverableError = -1;
  static constexpr int FatalError = -2;

  ~Mp3Decoder();
  Mp3Decoder(const Mp3Decoder&) = delete;
  Mp3Decoder& operator=(const Mp3Decoder&) = delete;

  // A fresh decoder, or null when it cannot be allocated.
  static std::unique_ptr<Mp3Decoder> create();
  // Replaces an existing decoder with a fresh one; does nothing when `holder` is null.
  static void reset(std::unique_ptr<Mp3Decoder>& holder);

  // Decodes at most one frame from `input` (`inputLength` may be 0 to drain pending samples)
  // into `output`. `produced` is the number of PCM bytes written, `consumed` the number of
  // input bytes the caller may drop.
  int decode(const uint8_t* input, uint32_t inputLength, uint8_t* output,
             uint32_t outputCapacity, uint32_t& produced, uint32_t& consumed);

  uint32_t pendingSamples() const { return pendingSamples_; }
  // The bitrate of the frame decoded last, kbit/s.
  uint32_t frameBitrate() const { return uint32_t(frame_.header.bitrate / 1000); }

  // libmad's fixed-point sample to 16 bits: round, clip to [-1.0, 1.0), shift.
  static int16_t convertSample(mad_fixed_t sample);

 private:
  Mp3Decoder();

  // Writes `count` sample frames of the last synthesized frame, from frame index `first`.
  void convert(uint32_t first, uint32_t count, uint8_t* output) const;
  uint32_t bytesPerFrame() const { return 2u * synth_.pcm.channels; }

  mad_stream stream_;
  mad_frame frame_;
  mad_synth synth_;
  uint32_t pendingSamples_ = 0;
};

}  // namespace audio
