#pragma once

#include <cstdint>
#include <string>

namespace server {

// The shape of an MP3 stream the server makes from another format, fixed before a sample is
// encoded: MPEG-1 Layer III at 48 kHz, constant bit rate. At 48 kHz every frame of every
// MPEG-1 bit rate is a whole number of bytes (144 × rate / 48000 = 3 bytes per kbit/s), so no
// frame ever carries a padding byte and the stream is exactly (frames + 1) × frame size long:
// an Info frame first, then the audio frames.
//
// The audio frames hold kEncoderDelay samples of encoder lead-in, the source's samples, and
// silence up to the frame boundary after the decoder's kDecoderDelay; the Info frame's LAME
// extension records the delay and that padding, so a gapless decoder yields exactly `samples`.
struct Mp3Layout {
  static constexpr int kSampleRate = 48000;
  static constexpr int kSamplesPerFrame = 1152;
  static constexpr int kEncoderDelay = 576;  // LAME's lead-in at every MPEG-1 Layer III setting
  static constexpr int kDecoderDelay = 529;  // the synthesis filter's delay in every decoder
  static constexpr int kDefaultBitrate = 256;

  int64_t samples = 0;  // per channel, at kSampleRate
  int channels = 2;     // 1 or 2
  int bitrateKbps = kDefaultBitrate;
  int64_t frames = 0;   // audio frames, the Info frame not counted

  // An MPEG-1 Layer III bit rate (32, 40, ... 320).
  static bool IsBitrate(int kbps);
  // The layout of `samples` samples (at kSampleRate) of `channels` channels.
  static Mp3Layout For(int64_t samples, int channels, int bitrateKbps);

  int64_t FrameBytes() const { return 144 * 1000 * static_cast<int64_t>(bitrateKbps) / kSampleRate; }
  int64_t TotalBytes() const { return (frames + 1) * FrameBytes(); }
  // Samples after the source's own at the end of the last frame.
  int64_t Padding() const { return frames * kSamplesPerFrame - kEncoderDelay - samples; }

  // The four header bytes every frame of the stream carries.
  std::string FrameHeader() const;
  // The first frame: silent audio carrying an Info header (frame count, byte count, a linear
  // seek table) and a LAME extension (encoder, delay, padding, length; its own CRC).
  // encoder: nine characters at most, e.g. "LAME3.100".
  std::string InfoFrame(const std::string& encoder) const;
  // A frame of silence, for a stream that LAME ended short of `frames`.
  std::string SilentFrame() const;
};

}  // namespace server
