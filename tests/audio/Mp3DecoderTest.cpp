#include "audio/Mp3Decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/audio/Mp3Reference.h"
#include "tests/support/Mp3Synth.h"

namespace audio {
namespace {

using audiotest::SamplesFromBytes;

// Output area that holds any frame.
constexpr uint32_t kLargeOutput = 1152 * 4;

// Decodes the whole file as the stream player does (skip one byte per error, keep the rest of
// the window on NeedInput), with output areas of `capacity` bytes.
std::vector<uint8_t> DecodeAll(const std::string& mp3, uint32_t capacity) {
  auto decoder = Mp3Decoder::create();
  std::vector<uint8_t> pcm;
  std::vector<uint8_t> area(capacity);
  const auto* input = reinterpret_cast<const uint8_t*>(mp3.data());
  size_t p = 0;
  bool pending = false;
  for (;;) {
    uint32_t produced = 0, consumed = 0;
    int result = pending ? decoder->decode(nullptr, 0, area.data(), capacity, produced, consumed)
                         : decoder->decode(input + p, uint32_t(mp3.size() - p), area.data(),
                                           capacity, produced, consumed);
    pcm.insert(pcm.end(), area.begin(), area.begin() + produced);
    p += consumed;
    if (result == Mp3Decoder::RecoverableError) ++p;
    if (result == Mp3Decoder::FatalError) {
      Mp3Decoder::reset(decoder);
      ++p;
    }
    if (result == Mp3Decoder::NeedInput) break;
    pending = result == Mp3Decoder::OutputFull;
  }
  return pcm;
}

struct FormatCase {
  int rate;
  int channels;
  int kbps;  // 0 = VBR
  uint32_t samplesPerFrame;
};

class DecoderFormatTest : public ::testing::TestWithParam<FormatCase> {};

// Frame by frame into exactly-sized and into small output areas, the PCM matches a plain libmad
// decode of the same bytes, and a frame fills 2 bytes per channel per sample.
TEST_P(DecoderFormatTest, MatchesLibmadWithAnyOutputSize) {
  const FormatCase c = GetParam();
  const std::string mp3 = testsupport::SynthesizeMp3(0.6, c.rate, c.channels, c.kbps);
  ASSERT_FALSE(mp3.empty());
  const auto reference = audiotest::DecodeWithLibmad(mp3);
  ASSERT_EQ(reference.channels, uint32_t(c.channels));
  ASSERT_GT(reference.frames, 5u);

  const std::vector<uint8_t> whole = DecodeAll(mp3, kLargeOutput);
  EXPECT_EQ(whole.size(), size_t(reference.frames) * c.samplesPerFrame * 2 * c.channels);
  EXPECT_EQ(SamplesFromBytes(whole.data(), whole.size()), reference.samples);
  // An area smaller than a frame, not a multiple of the sample frame size either.
  EXPECT_EQ(DecodeAll(mp3, 1001), whole);
}

INSTANTIATE_TEST_SUITE_P(Formats, DecoderFormatTest,
                         ::testing::Values(FormatCase{44100, 2, 128, 1152},
                                           FormatCase{22050, 1, 32, 576},
                                           FormatCase{44100, 2, 0, 1152},
                                           FormatCase{8000, 1, 8, 576}));

TEST(Mp3DecoderTest, FrameLargerThanAreaIsDeliveredAcrossCalls) {
  const std::string mp3 = testsupport::SynthesizeMp3(0.5, 44100, 2, 128);
  auto decoder = Mp3Decoder::create();
  const auto* input = reinterpret_cast<const uint8_t*>(mp3.data());
  std::vector<uint8_t> area(1000);
  uint32_t produced = 0, consumed = 0;
  int result = decoder->decode(input, uint32_t(mp3.size()), area.data(), 1000, produced, consumed);
  ASSERT_EQ(result, Mp3Decoder::OutputFull);
  EXPECT_EQ(produced, 1000u);
  EXPECT_GT(consumed, 100u);  // the whole frame's input
  EXPECT_EQ(decoder->pendingSamples(), 1152u - 250u);

  uint32_t total = produced;
  int calls = 1;
  do {
    result = decoder->decode(nullptr, 0, area.data(), 1000, produced, consumed);
    EXPECT_EQ(consumed, 0u);
    total += produced;
    ++calls;
  } while (result == Mp3Decoder::OutputFull);
  EXPECT_EQ(result, Mp3Decoder::Ok);
  EXPECT_EQ(total, 1152u * 4);
  EXPECT_EQ(calls, 5);
  EXPECT_EQ(decoder->pendingSamples(), 0u);
}

TEST(Mp3DecoderTest, EmptyInputAndShortWindows) {
  const std::string mp3 = testsupport::SynthesizeMp3(0.5, 44100, 2, 128);
  auto decoder = Mp3Decoder::create();
  std::vector<uint8_t> area(kLargeOutput);
  uint32_t produced = 7, consumed = 7;
  EXPECT_EQ(decoder->decode(nullptr, 0, area.data(), kLargeOutput, produced, consumed),
            Mp3Decoder::Ok);
  EXPECT_EQ(produced, 0u);
  EXPECT_EQ(consumed, 0u);

  // A window that ends inside the first frame.
  const auto* input = reinterpret_cast<const uint8_t*>(mp3.data());
  EXPECT_EQ(decoder->decode(input, 200, area.data(), kLargeOutput, produced, consumed),
            Mp3Decoder::NeedInput);
  EXPECT_EQ(consumed, 0u);
  EXPECT_EQ(produced, 0u);

  // Bytes that hold no frame at all are refused without consuming them.
  std::vector<uint8_t> noise(2000);
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = uint8_t(i * 37 + 11);
  int result = decoder->decode(noise.data(), uint32_t(noise.size()), area.data(), kLargeOutput,
                               produced, consumed);
  EXPECT_TRUE(result == Mp3Decoder::RecoverableError || result == Mp3Decoder::NeedInput) << result;
  EXPECT_EQ(consumed, 0u);
}

TEST(Mp3DecoderTest, SampleConversionRoundsAndClips) {
  struct Case {
    mad_fixed_t in;
    int16_t out;
  };
  const Case cases[] = {
      {0, 0},
      {(1 << 12) - 1, 0},
      {1 << 12, 1},
      {-(1 << 12), 0},
      {-(1 << 12) - 1, -1},
      {MAD_F_ONE - 1, 32767},
      {MAD_F_ONE, 32767},
      {MAD_F_ONE * 7, 32767},
      {0x7FFFFFFF, 32767},
      {-MAD_F_ONE, -32768},
      {-MAD_F_ONE * 7, -32768},
      {MAD_F_ONE / 2, 16384},
  };
  for (const Case& c : cases) EXPECT_EQ(Mp3Decoder::convertSample(c.in), c.out) << c.in;
}

TEST(Mp3DecoderTest, FullScaleSquareWaveClipsAtBothEnds) {
  testsupport::Mp3SynthOptions options;
  options.seconds = 0.5;
  options.waveform = testsupport::Mp3SynthOptions::Waveform::kSquare;
  options.amplitude = 1.0;
  const std::string mp3 = testsupport::SynthesizeMp3(options);
  const std::vector<uint8_t> pcm = DecodeAll(mp3, kLargeOutput);
  const std::vector<int16_t> samples = SamplesFromBytes(pcm.data(), pcm.size());
  ASSERT_FALSE(samples.empty());
  EXPECT_EQ(*std::max_element(samples.begin(), samples.end()), 32767);
  EXPECT_EQ(*std::min_element(samples.begin(), samples.end()), -32768);
}

}  // namespace
}  // namespace audio
