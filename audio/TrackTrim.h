#pragma once

#include <cstdint>
#include <vector>

namespace audio {

// Cuts a track's decoded PCM to the samples its encoder was given: drops the first `skip`
// sample frames (encoder and decoder delay) and passes at most `limit` after them (the rest
// is padding). Works on the PCM in place, chunk by chunk as the decoder delivers it.
class TrackTrim {
 public:
  // `limit` 0: no end (the track's length is unknown).
  void reset(uint64_t skip, uint64_t limit) {
    skip_ = skip;
    left_ = limit;
    limited_ = limit != 0;
    tail_ = 0;
    held_.clear();
  }
  // The end placed from the stream's end rather than by count, for decoding that did not
  // start at the first frame (a seek lands on a frame whose index is only estimated): the
  // last `tail` sample frames (the padding) are held back and never passed on.
  void resetTail(uint64_t skip, uint32_t tail) {
    reset(skip, 0);
    tail_ = tail;
  }
  // Takes `bytes` of PCM at `pcm` (whole frames of `frameBytes`); returns how many are kept,
  // moved to `pcm`.
  uint32_t apply(uint8_t* pcm, uint32_t bytes, uint32_t frameBytes);
  // True once every sample of a track of known length has passed.
  bool done() const { return limited_ && left_ == 0; }

 private:
  uint64_t skip_ = 0;
  uint64_t left_ = 0;
  bool limited_ = false;
  uint32_t tail_ = 0;
  std::vector<uint8_t> held_;  // the last PCM seen, up to `tail_` sample frames of it
};

}  // namespace audio
