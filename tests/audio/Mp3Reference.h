#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace audiotest {

// The whole of `mp3` decoded by a plain libmad loop, samples rounded, clipped and shifted to
// 16 bits, interleaved. Frames that libmad reports as broken are skipped; as without the
// guard bytes libmad needs after the last frame, that frame is not decoded.
struct ReferenceDecode {
  std::vector<int16_t> samples;
  uint32_t channels = 0;
  uint32_t sampleRate = 0;
  uint32_t frames = 0;  // MPEG frames decoded
};
ReferenceDecode DecodeWithLibmad(const std::string& mp3);

// Interleaved 16-bit samples from little-endian bytes.
std::vector<int16_t> SamplesFromBytes(const uint8_t* bytes, size_t length);

}  // namespace audiotest
