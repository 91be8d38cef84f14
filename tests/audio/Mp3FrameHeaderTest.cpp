#include "audio/Mp3FrameHeader.h"

#include <gtest/gtest.h>

namespace audio {
namespace {

struct HeaderCase {
  uint32_t word;
  Mp3FrameHeader expected;  // all zero when the word is no valid header
};

TEST(Mp3FrameHeaderTest, ParsesVersionsLayersAndRates) {
  const HeaderCase cases[] = {
      // MPEG-1 Layer III, 128 kbit/s, 44100 Hz, joint stereo; then the same padded.
      {0xFFFB9064, {1, 3, 2, 44100, 128, 417, 1152}},
      {0xFFFB9264, {1, 3, 2, 44100, 128, 418, 1152}},
      // MPEG-1 Layer III, 320 kbit/s, 48000 Hz, mono.
      {0xFFFBE4C4, {1, 3, 1, 48000, 320, 960, 1152}},
      // MPEG-1 Layer II, 256 kbit/s, 44100 Hz.
      {0xFFFDC000, {1, 2, 2, 44100, 256, 835, 1152}},
      // MPEG-1 Layer I, 32 kbit/s, 44100 Hz, padded.
      {0xFFFF1200, {1, 1, 2, 44100, 32, 36, 384}},
      // MPEG-2 Layer III, 64 kbit/s, 22050 Hz, mono.
      {0xFFF380C4, {2, 3, 1, 22050, 64, 208, 576}},
      // MPEG-2 Layer I, 256 kbit/s, 16000 Hz.
      {0xFFF7E800, {2, 1, 2, 16000, 256, 768, 384}},
      // MPEG-2.5 Layer III, 8 kbit/s, 8000 Hz, unpadded and padded.
      {0xFFE318C0, {3, 3, 1, 8000, 8, 72, 576}},
      {0xFFE31AC0, {3, 3, 1, 8000, 8, 73, 576}},
      // MPEG-2.5 Layer III, 160 kbit/s, 11025 Hz.
      {0xFFE3E000, {3, 3, 2, 11025, 160, 1044, 576}},
      // Refused: broken sync, layer 00, free format, bitrate 15, rate 3, reserved version.
      {0xFF7B9064, {}},
      {0xFFF99064, {}},
      {0xFFFB0064, {}},
      {0xFFFBF064, {}},
      {0xFFFB9C64, {}},
      {0xFFEB9064, {}},
  };
  for (const HeaderCase& c : cases) {
    Mp3FrameHeader header;
    const bool valid = c.expected.version != 0;
    ASSERT_EQ(Mp3FrameHeader::parse(c.word, header), valid) << std::hex << c.word;
    if (!valid) continue;
    EXPECT_EQ(header.version, c.expected.version) << std::hex << c.word;
    EXPECT_EQ(header.layer, c.expected.layer) << std::hex << c.word;
    EXPECT_EQ(header.channels, c.expected.channels) << std::hex << c.word;
    EXPECT_EQ(header.sampleRate, c.expected.sampleRate) << std::hex << c.word;
    EXPECT_EQ(header.bitrate, c.expected.bitrate) << std::hex << c.word;
    EXPECT_EQ(header.frameLength, c.expected.frameLength) << std::hex << c.word;
    EXPECT_EQ(header.samplesPerFrame, c.expected.samplesPerFrame) << std::hex << c.word;
  }
}

TEST(Mp3FrameHeaderTest, ByteParseIsBigEndian) {
  const uint8_t bytes[] = {0xFF, 0xFB, 0x90, 0x64};
  Mp3FrameHeader header;
  ASSERT_TRUE(Mp3FrameHeader::parse(bytes, header));
  EXPECT_EQ(header.bitrate, 128u);
}

TEST(Mp3FrameHeaderTest, NextHeaderTest) {
  struct Case {
    uint8_t bytes[3];
    bool passes;
  };
  const Case cases[] = {
      {{0xFF, 0xFB, 0x90}, true},  {{0xFF, 0xE3, 0x18}, true},
      {{0xFE, 0xFB, 0x90}, false},  // first byte
      {{0xFF, 0xDB, 0x90}, false},  // sync bits of the second byte
      {{0xFF, 0xF9, 0x90}, false},  // layer 00
      {{0xFF, 0xFB, 0x00}, false},  // free format
      {{0xFF, 0xFB, 0xF0}, false},  // bitrate 15
      {{0xFF, 0xFB, 0x9C}, false},  // rate 3
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Mp3FrameHeader::looksLikeNextHeader(c.bytes), c.passes)
        << std::hex << int(c.bytes[1]) << " " << int(c.bytes[2]);
  }
}

}  // namespace
}  // namespace audio
