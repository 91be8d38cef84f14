#include "audio/Mp3Decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/audio/AudioTestSupport.h"
#include "tests/support/Mp3Synth.h"

namespace audio {
namespace {

constexpr uint32_t kLargeOutput = 1152 * 4;  // holds any frame

// Decodes the whole file as the player does, into areas of `capacity` bytes.
std::vector<int16_t> DecodeAll(const std::string& mp3, uint32_t capacity) {
  auto decoder = Mp3Decoder::create();
  std::vector<uint8_t> pcm, area(capacity);
  const auto* input = reinterpret_cast<const uint8_t*>(mp3.data());
  size_t p = 0;
  for (int result = Mp3Decoder::Ok; result != Mp3Decoder::NeedInput;) {
    const bool pending = result == Mp3Decoder::OutputFull;
    uint32_t produced = 0, consumed = 0;
    result = decoder->decode(pending ? nullptr : input + p, pending ? 0 : uint32_t(mp3.size() - p),
                             area.data(), capacity, produced, consumed);
    pcm.insert(pcm.end(), area.begin(), area.begin() + produced);
    p += consumed + (result == Mp3Decoder::RecoverableError || result == Mp3Decoder::FatalError);
    if (result == Mp3Decoder::FatalError) Mp3Decoder::reset(decoder);
  }
  return audiotest::SamplesFromBytes(pcm.data(), pcm.size());
}

struct FormatCase {
  int rate, channels, kbps;  // kbps 0 = VBR
};

class DecoderFormatTest : public ::testing::TestWithParam<FormatCase> {};

// Into large areas and areas smaller than a frame, the PCM is libmad's decode of the bytes.
TEST_P(DecoderFormatTest, MatchesLibmadWithAnyOutputSize) {
  const FormatCase c = GetParam();
  const std::string mp3 = testsupport::SynthesizeMp3(0.6, c.rate, c.channels, c.kbps);
  const auto reference = audiotest::DecodeWithLibmad(mp3);
  ASSERT_EQ(reference.channels, uint32_t(c.channels));
  ASSERT_GT(reference.frames, 5u);
  const std::vector<int16_t> whole = DecodeAll(mp3, kLargeOutput);
  EXPECT_EQ(whole, reference.samples);
  EXPECT_EQ(DecodeAll(mp3, 1001), whole);
}

INSTANTIATE_TEST_SUITE_P(Formats, DecoderFormatTest,
                         ::testing::Values(FormatCase{44100, 2, 128}, FormatCase{22050, 1, 32},
                                           FormatCase{44100, 2, 0}, FormatCase{8000, 1, 8}));

TEST(Mp3DecoderTest, EmptyInputShortWindowAndNoise) {
  const std::string mp3 = testsupport::SynthesizeMp3(0.5, 44100, 2, 128);
  std::vector<uint8_t> noise(2000);
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = uint8_t(i * 37 + 11);
  struct Case {
    const uint8_t* input;
    uint32_t length;
    std::vector<int> results;
  };
  const Case cases[] = {
      {nullptr, 0, {Mp3Decoder::Ok}},  // nothing pending
      {reinterpret_cast<const uint8_t*>(mp3.data()), 200, {Mp3Decoder::NeedInput}},  // within a frame
      {noise.data(), 2000, {Mp3Decoder::RecoverableError, Mp3Decoder::NeedInput}},
  };
  for (const Case& c : cases) {
    auto decoder = Mp3Decoder::create();
    std::vector<uint8_t> area(kLargeOutput);
    uint32_t produced = 7, consumed = 7;
    const int result = decoder->decode(c.input, c.length, area.data(), kLargeOutput, produced, consumed);
    EXPECT_NE(std::find(c.results.begin(), c.results.end(), result), c.results.end()) << result;
    EXPECT_EQ(produced, 0u) << c.length;
    EXPECT_EQ(consumed, 0u) << c.length;
  }
}

TEST(Mp3DecoderTest, SampleConversionRoundsAndClips) {
  const std::pair<mad_fixed_t, int16_t> cases[] = {
      {(1 << 12) - 1, 0},   {1 << 12, 1},          {-(1 << 12), 0},
      {-(1 << 12) - 1, -1}, {MAD_F_ONE - 1, 32767}, {MAD_F_ONE * 7, 32767},
      {0x7FFFFFFF, 32767},  {-MAD_F_ONE, -32768},  {-MAD_F_ONE * 7, -32768},
      {MAD_F_ONE / 2, 16384},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(Mp3Decoder::convertSample(in), out) << in;
}

// The decode path clips too: a full-scale square wave overshoots when decoded.
TEST(Mp3DecoderTest, FullScaleSquareWaveClipsAtBothEnds) {
  testsupport::Mp3SynthOptions options;
  options.seconds = 0.5;
  options.waveform = testsupport::Mp3SynthOptions::Waveform::kSquare;
  options.amplitude = 1.0;
  const std::vector<int16_t> samples = DecodeAll(testsupport::SynthesizeMp3(options), kLargeOutput);
  ASSERT_FALSE(samples.empty());
  EXPECT_EQ(*std::max_element(samples.begin(), samples.end()), 32767);
  EXPECT_EQ(*std::min_element(samples.begin(), samples.end()), -32768);
}

}  // namespace
}  // namespace audio
