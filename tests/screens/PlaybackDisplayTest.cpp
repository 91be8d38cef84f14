#include "screens/PlaybackDisplay.h"

#include <gtest/gtest.h>

namespace {

// Length and progress as the player screen and the mini player show them: the length from
// the content length and the bitrate at every bitrate, nothing (not a division by zero)
// without a length, a bitrate or a sample rate.
TEST(PlaybackDisplayTest, LengthAndProgress) {
  struct Case {
    std::int32_t contentLength;
    std::uint32_t bitrate;
    std::uint32_t sampleRate;
    std::uint32_t positionSamples;
    const char* total;
    const char* elapsed;
  } cases[] = {
      {1600000, 128, 44100, 44100 * 61, "1:40", "1:01"},
      {400000, 32, 22050, 22050 * 10 + 22049, "1:40", "0:10"},  // 32 kbit/s like any other rate
      {0, 128, 44100, 44100, "0:00", "0:01"},                    // no content length
      {-1, 128, 44100, 0, "0:00", "0:00"},
      {1600000, 0, 0, 44100, "0:00", "0:00"},                    // no header found yet
      {16000 * 3600, 128, 48000, 48000u * 3600u, "60:00", "60:00"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.contentLength);
    audio::Mp3FrameHeader header;
    header.bitrate = c.bitrate;
    header.sampleRate = c.sampleRate;
    screens::PlaybackDisplay display;
    display.SetTrack(audio::TrackInfo{u"T", u"C", u"A"}, c.contentLength, header);
    display.SetProgress(1000, c.positionSamples);
    EXPECT_EQ(screens::PlaybackDisplay::FormatMinutes(display.durationSec), c.total);
    EXPECT_EQ(screens::PlaybackDisplay::FormatMinutes(display.elapsedSec), c.elapsed);
    EXPECT_EQ(display.bytesReceived, 1000u);
    display.Reset();
    EXPECT_EQ(display.durationSec + display.elapsedSec + display.bytesReceived, 0u);
    EXPECT_TRUE(display.track.title.empty());
  }
}

}  // namespace
