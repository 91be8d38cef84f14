#pragma once

#include <cstdint>
#include <string>

#include "audio/Mp3FrameHeader.h"
#include "audio/TrackInfo.h"

namespace screens {

// What the player screen and the mini player know of the track under way: its text, its
// length from the stream's content length and bitrate, and the download and play progress in
// whole percent. Both displays use this one rule, so they always show the same total time.
struct TrackProgress {
  audio::TrackInfo trackInfo;
  std::uint32_t totalBytes = 0;
  audio::Mp3FrameHeader header;
  // content length ÷ (bitrate × 125); 0 without a content length or a bitrate.
  std::int32_t durationSec = 0;
  std::int32_t loadPercent = 0;
  std::int32_t positionPercent = 0;

  // Forgets the progress, then keeps the track, its content length (a negative one counts
  // as none) and header, and computes durationSec.
  void SetTrack(const audio::TrackInfo& info, std::int32_t contentLength, const audio::Mp3FrameHeader& frameHeader);
  // Bytes received of totalBytes and seconds played of durationSec, in whole percent (0..100).
  // A stream without a content length shows 0 % for both.
  void SetProgress(std::uint32_t bytesReceived, std::uint32_t positionSamples);
  // Everything 0 and empty.
  void Reset() { *this = TrackProgress(); }

  // positionPercent of durationSec: the elapsed time moves in steps of 1 % of the track.
  std::int32_t ElapsedSec() const;
  // "m:ss".
  static std::u16string FormatTime(std::int32_t seconds);
};

}  // namespace screens
