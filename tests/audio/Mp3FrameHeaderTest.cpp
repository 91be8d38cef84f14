#include "audio/Mp3FrameHeader.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>

namespace audio {
namespace {

auto Fields(const Mp3FrameHeader& h) {
  return std::make_tuple(h.version, h.layer, h.channels, h.sampleRate, h.bitrate, h.frameLength,
                         h.samplesPerFrame);
}

// Both parse entry points, the word and its big-endian bytes, against the standard's tables.
TEST(Mp3FrameHeaderTest, ParsesVersionsLayersAndRates) {
  const std::pair<uint32_t, Mp3FrameHeader> cases[] = {
      // MPEG-1 Layer III, 128 kbit/s, 44100 Hz, joint stereo; then the same padded.
      {0xFFFB9064, {1, 3, 2, 44100, 128, 417, 1152}},
      {0xFFFB9264, {1, 3, 2, 44100, 128, 418, 1152}},
      {0xFFFBE4C4, {1, 3, 1, 48000, 320, 960, 1152}},   // MPEG-1 Layer III, 48 kHz mono
      {0xFFFDC000, {1, 2, 2, 44100, 256, 835, 1152}},   // MPEG-1 Layer II
      {0xFFFF1200, {1, 1, 2, 44100, 32, 36, 384}},      // MPEG-1 Layer I, padded
      {0xFFF380C4, {2, 3, 1, 22050, 64, 208, 576}},     // MPEG-2 Layer III mono
      {0xFFF7E800, {2, 1, 2, 16000, 256, 768, 384}},    // MPEG-2 Layer I
      {0xFFE318C0, {3, 3, 1, 8000, 8, 72, 576}},        // MPEG-2.5, unpadded and padded
      {0xFFE31AC0, {3, 3, 1, 8000, 8, 73, 576}},
      {0xFFE3E000, {3, 3, 2, 11025, 160, 1044, 576}},
      // Refused: broken sync, layer 00, free format, bitrate 15, rate 3, reserved version.
      {0xFF7B9064, {}}, {0xFFF99064, {}}, {0xFFFB0064, {}},
      {0xFFFBF064, {}}, {0xFFFB9C64, {}}, {0xFFEB9064, {}},
  };
  for (const auto& [word, expected] : cases) {
    SCOPED_TRACE(::testing::Message() << std::hex << word);
    const uint8_t bytes[] = {uint8_t(word >> 24), uint8_t(word >> 16), uint8_t(word >> 8), uint8_t(word)};
    Mp3FrameHeader fromWord, fromBytes;
    EXPECT_EQ(Mp3FrameHeader::parse(word, fromWord), expected.version != 0);
    EXPECT_EQ(Mp3FrameHeader::parse(bytes, fromBytes), expected.version != 0);
    EXPECT_EQ(Fields(fromWord), Fields(expected));  // a refused word leaves the header as it was
    EXPECT_EQ(Fields(fromBytes), Fields(expected));
  }
}

TEST(Mp3FrameHeaderTest, NextHeaderTest) {
  const std::pair<std::array<uint8_t, 3>, bool> cases[] = {
      {{0xFF, 0xFB, 0x90}, true},   {{0xFF, 0xE3, 0x18}, true},
      {{0xFE, 0xFB, 0x90}, false},  // first byte
      {{0xFF, 0xDB, 0x90}, false},  // sync bits of the second byte
      {{0xFF, 0xF9, 0x90}, false},  // layer 00
      {{0xFF, 0xFB, 0x00}, false},  // free format
      {{0xFF, 0xFB, 0xF0}, false},  // bitrate 15
      {{0xFF, 0xFB, 0x9C}, false},  // rate 3
  };
  for (const auto& [bytes, passes] : cases) {
    EXPECT_EQ(Mp3FrameHeader::looksLikeNextHeader(bytes.data()), passes)
        << std::hex << int(bytes[1]) << " " << int(bytes[2]);
  }
}

}  // namespace
}  // namespace audio
