#include "screens/TrackProgress.h"

#include <algorithm>
#include <cstdio>

namespace screens {
namespace {

std::int32_t Percent(double part, double whole) {
  if (whole <= 0) return 0;
  // The display never runs past its end (an estimated length may be short).
  return static_cast<std::int32_t>(std::clamp(part / whole * 100.0, 0.0, 100.0));
}

}  // namespace

void TrackProgress::SetTrack(const audio::TrackInfo& info, std::int32_t contentLength,
                             const audio::Mp3FrameHeader& frameHeader, std::uint64_t trackLengthSamples) {
  Reset();
  trackInfo = info;
  totalBytes = contentLength > 0 ? static_cast<std::uint32_t>(contentLength) : 0;
  header = frameHeader;
  SetLength(trackLengthSamples);
}

void TrackProgress::SetLength(std::uint64_t trackLengthSamples) {
  // Without a content length there is no duration and no handle, whatever the header says.
  lengthSamples = header.sampleRate && totalBytes > 0 ? trackLengthSamples : 0;
  durationSec = header.sampleRate ? static_cast<std::int32_t>(lengthSamples / header.sampleRate) : 0;
}

void TrackProgress::SetProgress(std::uint32_t bytesReceived, std::uint32_t positionSamples,
                                std::uint64_t trackLengthSamples) {
  SetLength(trackLengthSamples);
  loadPercent = Percent(bytesReceived, totalBytes);
  positionPercent = Percent(positionSamples, static_cast<double>(lengthSamples));
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
