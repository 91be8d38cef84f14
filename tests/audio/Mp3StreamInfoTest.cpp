#include "audio/Mp3StreamInfo.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "tests/audio/AudioTestSupport.h"

namespace audio {
namespace {

class StreamInfoTest : public ::testing::TestWithParam<audiotest::FixtureKind> {};

// Each kind parsed at its first frame: the header frame and LAME fields agree with the
// encoder's own figures and give its input length exactly (within a second without, CBR).
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

// Headers that lie or are cut: nothing is read past the bytes given, and an Info frame's own
// bytes never count as audio in the CBR arithmetic.
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

// Body offsets of every frame of `file`, its header frame first.
std::vector<uint64_t> FrameOffsets(const testsupport::EncodedMp3& file) {
  std::vector<uint64_t> offsets;
  const auto* bytes = reinterpret_cast<const uint8_t*>(file.bytes.data());
  Mp3FrameHeader header;
  for (uint64_t at = file.tagBytes; at + 4 <= file.bytes.size() && Mp3FrameHeader::parse(bytes + at, header);
       at += header.frameLength) {
    offsets.push_back(at);
  }
  return offsets;
}

// `file` with its Xing frame rewritten as a same-size VBRI frame, one entry per
// `framesPerEntry` audio frames (2-byte sizes, scale 1).
std::string WithVbriFrame(const testsupport::EncodedMp3& file, const std::vector<uint64_t>& offsets,
                          uint32_t framesPerEntry) {
  std::string bytes = file.bytes;
  const uint64_t start = offsets[0], length = offsets[1] - offsets[0];
  std::string frame = bytes.substr(start, 4) + std::string(length - 4, '\0');
  auto put = [&](size_t at, uint32_t value, int count) {
    for (int i = 0; i < count; ++i) frame[at + size_t(i)] = char(value >> (8 * (count - 1 - i)));
  };
  const uint32_t audioFrames = uint32_t(offsets.size() - 1);
  const uint32_t entries = (audioFrames + framesPerEntry - 1) / framesPerEntry;
  EXPECT_LE(36 + 26 + 2 * entries, length) << "the table does not fit the frame";
  frame.replace(36, 4, "VBRI");
  put(40, 1, 2);   // version
  put(44, 75, 2);  // quality
  put(46, uint32_t(bytes.size() - start), 4);
  put(50, audioFrames, 4);
  put(54, entries, 2);
  put(56, 1, 2);  // scale
  put(58, 2, 2);  // bytes an entry
  put(60, framesPerEntry, 2);
  uint64_t runStart = start;
  for (uint32_t i = 0; i < entries; ++i) {
    const size_t next = std::min<size_t>(size_t(i + 1) * framesPerEntry + 1, offsets.size());
    const uint64_t runEnd = next < offsets.size() ? offsets[next] : bytes.size();
    put(62 + 2 * i, uint32_t(runEnd - runStart), 2);
    runStart = runEnd;
  }
  return bytes.replace(start, length, frame);
}

// Half silence, half sweep (uneven frames): the Xing and VBRI tables each seek within 0.25 s.
TEST(StreamInfoTest, SeekTablesFindTheTargetInAnUnevenFile) {
  std::vector<int16_t> pcm(size_t(44100) * 2 * 10, 0);
  const std::vector<int16_t> sweep = testsupport::SweepPcm(10.0, 44100, 2);
  pcm.insert(pcm.end(), sweep.begin(), sweep.end());
  testsupport::Mp3EncodeOptions options;
  options.vbrQuality = 2;
  const testsupport::EncodedMp3 file = testsupport::EncodePcm(pcm, options);
  const std::vector<uint64_t> offsets = FrameOffsets(file);
  ASSERT_GT(offsets.size(), 700u);
  const std::string vbri = WithVbriFrame(file, offsets, 12);
  for (const std::string* bytes : {&file.bytes, &vbri}) {
    SCOPED_TRACE(bytes == &vbri ? "VBRI" : "Xing");
    const auto* frame = reinterpret_cast<const uint8_t*>(bytes->data()) + offsets[0];
    Mp3FrameHeader header;
    ASSERT_TRUE(Mp3FrameHeader::parse(frame, header));
    Mp3StreamInfo info = Mp3StreamInfo::parse(frame, header.frameLength, header);
    info.audioStart = offsets[0];
    ASSERT_TRUE(info.vbrHeader);
    const uint64_t length = info.lengthSamples(int64_t(bytes->size()));
    EXPECT_NEAR(double(length) / 44100, 20.0, 0.05);
    for (double seconds : {2.5, 5.0, 9.0, 12.0, 15.0, 19.0}) {
      const uint64_t byte = info.byteForSample(uint64_t(seconds * 44100), length, int64_t(bytes->size()));
      // The player resynchronises on the first frame at or after the byte.
      const auto next = std::lower_bound(offsets.begin() + 1, offsets.end(), byte);
      const double found = double(next - offsets.begin() - 1) * 1152 / 44100;
      EXPECT_NEAR(found, seconds, 0.25) << "byte " << byte;
    }
  }
}

}  // namespace
}  // namespace audio
