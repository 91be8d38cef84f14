#include "screens/PlaybackDisplay.h"

#include <cstdio>

namespace screens {
namespace {

// kbit/s × 125 is bytes a second.
constexpr std::uint32_t kBytesPerKilobit = 125;

}  // namespace

void PlaybackDisplay::SetTrack(const audio::TrackInfo& info, std::int32_t length,
                               const audio::Mp3FrameHeader& frameHeader) {
  Reset();
  track = info;
  contentLength = length;
  header = frameHeader;
  if (length > 0 && header.bitrate != 0) {
    durationSec = static_cast<std::uint32_t>(length) / (header.bitrate * kBytesPerKilobit);
  }
}

void PlaybackDisplay::SetProgress(std::uint32_t received, std::uint32_t positionSamples) {
  bytesReceived = received;
  elapsedSec = header.sampleRate ? positionSamples / header.sampleRate : 0;
}

std::string PlaybackDisplay::FormatMinutes(std::uint32_t seconds) {
  char text[16];
  std::snprintf(text, sizeof text, "%u:%02u", seconds / 60, seconds % 60);
  return text;
}

}  // namespace screens
