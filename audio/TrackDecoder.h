#pragma once

#include <cstdint>
#include <memory>

#include "audio/Mp3Decoder.h"
#include "audio/Mp3StreamInfo.h"
#include "audio/TrackTrim.h"

namespace audio {

// Decodes one track's frames into PCM: re-synchronises on the track's own version, layer and
// rate after corrupt bytes, trims the encoder's delay and padding, and counts the frames it
// decodes so that a VBR track without a header gets a length estimate. Used by the playback
// thread only.
class TrackDecoder {
 public:
  // Results of `step`.
  enum class Step { kContinue, kNeedInput, kLost };

  // A fresh decoder for the track that `info` describes, from its first sample; false when
  // no decoder can be had.
  bool start(const Mp3StreamInfo& info);
  // A fresh decoder after a seek, decoding from the audio frame `frameIndex` on (the frame at
  // the start of the next window). Frames that cannot be decoded without the bit reservoir
  // before them are lost; the first frame decoded places the start trim, and the end trim
  // holds back the padding until the stream ends.
  bool restart(uint64_t frameIndex);

  // One decode step on `window` (`length` bytes) at `*p`, into `out` (`room` bytes); `*pending`
  // is true while the last frame's PCM did not fit. `*produced` is the PCM kept after the trim.
  Step step(const uint8_t* window, uint32_t length, uint32_t* p, bool* pending, uint8_t* out, uint32_t room,
            uint32_t* produced);

  // The caller dropped the first `done` bytes of the window (their frames are decoded).
  void windowDone(uint32_t done) {
    if (placing_) sinceRestart_ += done;
  }

  // Every sample of a track of known length has been delivered: the rest is padding or tags.
  bool complete() const { return trim_.done(); }
  const Mp3StreamInfo& info() const { return info_; }
  // The length rule with what has been decoded: the header's count or CBR arithmetic, or for
  // VBR without a header an estimate from the frames decoded so far.
  uint64_t lengthSamples(int64_t contentLength) const;

 private:
  void tally(uint32_t consumed);
  // Sets the trim for decoding on from audio frame `frameIndex` (after a restart).
  void trimFrom(uint64_t frameIndex);

  Mp3StreamInfo info_;
  std::unique_ptr<Mp3Decoder> decoder_;
  TrackTrim trim_;
  uint64_t framesDecoded_ = 0;
  uint64_t bytesDecoded_ = 0;
  bool bitrateVaries_ = false;
  // After a restart, until its first frame decodes: the frame it was pointed at, and the bytes
  // passed since.
  bool placing_ = false;
  uint64_t restartIndex_ = 0;
  uint64_t sinceRestart_ = 0;
};

}  // namespace audio
