#include "screens/TrackProgress.h"

#include <algorithm>
#include <cstdio>

namespace screens {
namespace {

// kbit/s × 125 is bytes a second.
constexpr std::uint32_t kBytesPerKilobitSecond = 125;

std::int32_t Percent(double part, double whole) {
  if (whole <= 0) return 0;
  // The display never runs past its end: a track may play a little longer than its length
  // computed from the content length.
  return static_cast<std::int32_t>(std::clamp(part / whole * 100.0, 0.0, 100.0));
}

}  // namespace

void TrackProgress::SetTrack(const audio::TrackInfo& info, std::int32_t contentLength,
                             const audio::Mp3FrameHeader& frameHeader) {
  Reset();
  trackInfo = info;
  totalBytes = contentLength > 0 ? static_cast<std::uint32_t>(contentLength) : 0;
  header = frameHeader;
  if (header.bitrate != 0) durationSec = static_cast<std::int32_t>(totalBytes / (header.bitrate * kBytesPerKilobitSecond));
}

void TrackProgress::SetProgress(std::uint32_t bytesReceived, std::uint32_t positionSamples) {
  loadPercent = Percent(bytesReceived, totalBytes);
  const double seconds = header.sampleRate ? static_cast<double>(positionSamples) / header.sampleRate : 0.0;
  positionPercent = Percent(seconds, durationSec);
}

std::int32_t TrackProgress::ElapsedSec() const {
  return static_cast<std::int32_t>(positionPercent * 0.01 * durationSec);
}

std::u16string TrackProgress::FormatTime(std::int32_t seconds) {
  char text[24];
  std::snprintf(text, sizeof text, "%d:%02d", seconds / 60, seconds % 60);
  return std::u16string(text, text + std::char_traits<char>::length(text));
}

}  // namespace screens
