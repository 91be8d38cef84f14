#include "audio/Mp3StreamInfo.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "audio/TrackTrim.h"
#include "tests/audio/AudioTestSupport.h"

namespace audio {
namespace {

class StreamInfoTest : public ::testing::TestWithParam<audiotest::FixtureKind> {};

// Each kind of file, parsed at its first frame: the header frame and its LAME fields are
// found and agree with what the encoder itself reports, and the length rule gives the
// encoder's input length exactly with a header and within a second without one (CBR). The
// reference decode used by the player tests is checked against the input length here too.
TEST_P(StreamInfoTest, FirstFrameGivesTheTrueLength) {
  const audiotest::FixtureKind& kind = GetParam();
  const testsupport::EncodedMp3 file = audiotest::EncodeFixture(kind);
  ASSERT_FALSE(file.bytes.empty());
  EXPECT_EQ(file.tagBytes > 0, kind.options.pictureBytes > 0);
  if (kind.options.pictureBytes > 0) {
    EXPECT_GT(file.tagBytes, kind.options.pictureBytes);
  }

  const auto* bytes = reinterpret_cast<const uint8_t*>(file.bytes.data()) + file.tagBytes;
  Mp3FrameHeader header;
  uint32_t at = 0;
  ASSERT_TRUE(Mp3FrameHeader::findInBlock(bytes, 4096, header, at));
  EXPECT_EQ(at, 0u);
  EXPECT_EQ(header.version, kind.version);
  EXPECT_EQ(header.sampleRate, uint32_t(kind.options.sampleRate));
  Mp3StreamInfo info = Mp3StreamInfo::parse(bytes, 4096, header);
  info.audioStart = file.tagBytes;
  const auto truth = uint64_t(file.Frames());
  const auto length = info.lengthSamples(int64_t(file.bytes.size()));

  EXPECT_EQ(info.infoFrame, file.infoFrame);
  EXPECT_EQ(info.hasLame, file.infoFrame);
  if (file.infoFrame) {
    EXPECT_EQ(info.vbrHeader, kind.options.vbrQuality >= 0);
    EXPECT_EQ(info.encoderDelay, uint32_t(file.encoderDelay));
    EXPECT_EQ(info.encoderPadding, uint32_t(file.encoderPadding));
    EXPECT_EQ(info.startTrim(), uint32_t(file.encoderDelay) + 529u);
    EXPECT_EQ(info.bytes, file.bytes.size() - file.tagBytes);
    EXPECT_EQ(length, truth);
    EXPECT_EQ(testsupport::ReferenceDecode(file).size(), file.pcm.size());
  } else if (kind.options.vbrQuality < 0) {
    EXPECT_LE(std::llabs(int64_t(length) - int64_t(truth)), kind.options.sampleRate);
  }
  // A VBR file's table of contents maps the middle to the middle of its bytes, roughly.
  if (info.hasToc && info.vbrHeader) {
    const uint64_t middle = info.byteForSample(truth / 2, truth, int64_t(file.bytes.size()));
    EXPECT_NEAR(double(middle - file.tagBytes) / double(file.bytes.size() - file.tagBytes), 0.5, 0.1);
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, StreamInfoTest, ::testing::ValuesIn(audiotest::FixtureKinds()),
                         [](const auto& p) { return std::string(p.param.name); });

// Headers that lie or are cut: nothing is read past the bytes given, a cut frame gives no
// counts, and an Info frame's own bytes never count as audio in the CBR arithmetic.
TEST(StreamInfoTest, CutAndForgedHeaders) {
  const testsupport::EncodedMp3 file = audiotest::EncodeFixture(audiotest::FixtureKinds()[2]);
  const auto* bytes = reinterpret_cast<const uint8_t*>(file.bytes.data()) + file.tagBytes;
  Mp3FrameHeader header;
  ASSERT_TRUE(Mp3FrameHeader::parse(bytes, header));
  for (uint32_t cut : {0u, 4u, 40u, 60u, 160u}) {
    const Mp3StreamInfo info = Mp3StreamInfo::parse(bytes, cut, header);
    EXPECT_FALSE(info.hasLame) << cut;
    EXPECT_EQ(info.infoFrame, cut >= 44) << cut;
    EXPECT_EQ(info.headerLength() > 0, cut >= 48) << cut;
    EXPECT_EQ(info.hasToc, cut >= 156) << cut;
  }
  Mp3StreamInfo counted = Mp3StreamInfo::parse(bytes, header.frameLength, header);
  counted.frames = 0;  // an Info frame that counts nothing: CBR arithmetic, less that frame
  counted.audioStart = 100;
  const int64_t size = 100 + header.frameLength + 16000;  // one second at 128 kbit/s
  EXPECT_EQ(counted.lengthSamples(size), 44100u);
  EXPECT_EQ(counted.lengthSamples(50), 0u);
}

// The trim drops the start across chunks, passes exactly the limit and moves what it keeps to
// the front of the chunk.
TEST(TrackTrimTest, DropsTheDelayAndStopsAtTheLength) {
  TrackTrim trim;
  trim.reset(3, 5);
  uint8_t chunk[8] = {1, 2, 3, 4, 5, 6, 7, 8};  // four frames of two bytes
  EXPECT_EQ(trim.apply(chunk, 4, 2), 0u);       // two frames dropped, one left to drop
  EXPECT_EQ(trim.apply(chunk, 8, 2), 6u);       // one dropped, three kept
  EXPECT_EQ(chunk[0], 3);
  EXPECT_EQ(chunk[5], 8);
  EXPECT_FALSE(trim.done());
  EXPECT_EQ(trim.apply(chunk, 8, 2), 4u);  // two more reach the length
  EXPECT_TRUE(trim.done());
  EXPECT_EQ(trim.apply(chunk, 8, 2), 0u);
  trim.reset(0, 0);  // unknown length: everything passes
  EXPECT_EQ(trim.apply(chunk, 8, 2), 8u);
  EXPECT_FALSE(trim.done());
}

}  // namespace
}  // namespace audio
