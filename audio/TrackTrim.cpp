#include "audio/TrackTrim.h"

#include <algorithm>
#include <cstring>

namespace audio {

uint32_t TrackTrim::apply(uint8_t* pcm, uint32_t bytes, uint32_t frameBytes) {
  if (frameBytes == 0) return 0;
  uint64_t frames = bytes / frameBytes;
  const uint64_t dropped = std::min(skip_, frames);
  skip_ -= dropped;
  frames -= dropped;
  if (limited_) {
    frames = std::min(frames, left_);
    left_ -= frames;
  }
  const uint32_t kept = uint32_t(frames) * frameBytes;
  if (dropped > 0 && kept > 0) std::memmove(pcm, pcm + dropped * frameBytes, kept);
  return kept;
}

}  // namespace audio
