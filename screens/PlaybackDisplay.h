#pragma once

#include <cstdint>
#include <string>

#include "audio/Mp3FrameHeader.h"
#include "audio/TrackInfo.h"

namespace screens {

// What the player screen and the mini player show of the track under way: its text, its
// length, and the progress the position timer reports.
struct PlaybackDisplay {
  audio::TrackInfo track;
  std::int32_t contentLength = 0;
  audio::Mp3FrameHeader header;
  // content length ÷ (bitrate × 125); 0 without a length or a bitrate.
  std::uint32_t durationSec = 0;
  std::uint32_t elapsedSec = 0;
  std::uint32_t bytesReceived = 0;

  void SetTrack(const audio::TrackInfo& info, std::int32_t length, const audio::Mp3FrameHeader& frameHeader);
  // Sample frames played over the sample rate.
  void SetProgress(std::uint32_t received, std::uint32_t positionSamples);
  void Reset() { *this = PlaybackDisplay(); }

  // "m:ss".
  static std::string FormatMinutes(std::uint32_t seconds);
};

}  // namespace screens
