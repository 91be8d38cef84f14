#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace audiotest {

// The whole of `mp3` decoded by a plain libmad loop, samples rounded, clipped and shifted to
// 16 bits, interleaved. Frames that libmad reports as broken are skipped; as without the
// guard bytes libmad needs after the last frame, that frame is decoded only when
// `withEndGuard` appends them.
struct ReferenceDecode {
  std::vector<int16_t> samples;
  uint32_t channels = 0;
  uint32_t sampleRate = 0;
  uint32_t frames = 0;  // MPEG frames decoded
  uint32_t samplesPerFrame = 0;
  std::vector<size_t> frameOffsets;  // byte offset of each decoded frame

  // Samples (all channels) of the frames that start before byte `offset`, plus `extraFrames`.
  size_t SamplesBefore(size_t offset, size_t extraFrames) const;
};
ReferenceDecode DecodeWithLibmad(const std::string& mp3, bool withEndGuard = false);

// Interleaved 16-bit samples from little-endian bytes.
std::vector<int16_t> SamplesFromBytes(const uint8_t* bytes, size_t length);

}  // namespace audiotest
