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
  if (tail_ == 0) return kept;
  // What was held and what came, less the last `tail_` frames: never more than came, as no
  // more than `tail_` frames were held.
  const size_t tailBytes = size_t(tail_) * frameBytes;
  held_.insert(held_.end(), pcm, pcm + kept);
  if (held_.size() <= tailBytes) return 0;
  const uint32_t out = uint32_t(held_.size() - tailBytes);
  std::memcpy(pcm, held_.data(), out);
  held_.erase(held_.begin(), held_.begin() + out);
  return out;
}

}  // namespace audio
