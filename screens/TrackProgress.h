#pragma once

#include <cstdint>
#include <string>

#include "audio/Mp3FrameHeader.h"
#include "audio/TrackInfo.h"

namespace screens {

// What the player screen and the mini player know of the track under way: its text, its
// length as the player finds it in the stream (the header's frame count, CBR arithmetic on the
// audio bytes, or an estimate refined as it plays), and the download and play progress in
// whole percent. Both displays use this one rule, so they always show the same total time.
// The download bar counts bytes of the content length.
struct TrackProgress {
  audio::TrackInfo trackInfo;
  std::uint32_t totalBytes = 0;
  audio::Mp3FrameHeader header;
  std::uint64_t lengthSamples = 0;
  // lengthSamples ÷ the sample rate; 0 without a length or a rate.
  std::int32_t durationSec = 0;
  std::int32_t loadPercent = 0;
  std::int32_t positionPercent = 0;

  // Forgets the progress, then keeps the track, its content length (a negative one counts
  // as none), header and length in sample frames, and computes durationSec.
  void SetTrack(const audio::TrackInfo& info, std::int32_t contentLength, const audio::Mp3FrameHeader& frameHeader,
                std::uint64_t trackLengthSamples);
  // Bytes received of totalBytes and samples played of the length (which may have been refined
  // since), in whole percent (0..100). No content length shows 0 % loaded; no length, 0 % played.
  void SetProgress(std::uint32_t bytesReceived, std::uint32_t positionSamples, std::uint64_t trackLengthSamples);
  // Takes a (refined) length.
  void SetLength(std::uint64_t trackLengthSamples);
  // Everything 0 and empty.
  void Reset() { *this = TrackProgress(); }

  // positionPercent of durationSec: the elapsed time moves in steps of 1 % of the track.
  std::int32_t ElapsedSec() const;
  // "m:ss".
  static std::u16string FormatTime(std::int32_t seconds);
};

}  // namespace screens
