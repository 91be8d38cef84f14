#include "audio/StreamPlayer.h"

#include <gtest/gtest.h>

#include "platform/NullPcmSink.h"
#include "platform/TextCodec.h"
#include "platform/WavPcmSink.h"
#include "tests/audio/Mp3Reference.h"
#include "tests/audio/PlayerTestSupport.h"
#include "tests/support/Mp3Synth.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"

namespace audio {
namespace {

using audiotest::RecordingTarget;
using testsupport::ScriptedServer;
using namespace std::chrono_literals;

const std::vector<uint32_t> kPlayedToEnd = {kMsgPlaybackStarted, kMsgPlayerTeardownDone,
                                            kMsgTrackEnded};

// Plays `body` served by a scripted server into a WAV file at unlimited speed and returns the
// samples written; `messages` receives what the player posted.
struct WavRun {
  std::vector<int16_t> samples;
  std::vector<uint32_t> messages;
  Mp3FrameHeader header;
};

WavRun PlayToWav(testsupport::ServerScript script) {
  testsupport::TempDir dir;
  const auto wavPath = dir / "out.wav";
  ScriptedServer server(std::move(script));
  RecordingTarget target;
  WavRun run;
  {
    StreamPlayer player(std::make_unique<platform::WavPcmSink>(wavPath.string()),
                        audiotest::ShortHttpOptions());
    player.setNotifyWindow(&target);
    player.setUrl(platform::Utf8ToUtf16(server.Url("/track.mp3")));
    EXPECT_TRUE(player.play());
    EXPECT_TRUE(target.WaitFor(kMsgTrackEnded));
    EXPECT_EQ(player.position(), 0u);
    run.header = player.header();
  }
  run.messages = target.Messages();
  const std::string wav = testsupport::ReadFile(wavPath);
  if (wav.size() > platform::WavPcmSink::kHeaderBytes) {
    run.samples = audiotest::SamplesFromBytes(
        reinterpret_cast<const uint8_t*>(wav.data()) + platform::WavPcmSink::kHeaderBytes,
        wav.size() - platform::WavPcmSink::kHeaderBytes);
  }
  return run;
}

testsupport::ServerScript Serve(const std::string& body) {
  return testsupport::Reply(testsupport::HttpResponse(body, "audio/mpeg"));
}

// Samples of `seconds` of audio.
size_t Samples(double seconds, const audiotest::ReferenceDecode& reference) {
  return size_t(seconds * reference.sampleRate * reference.channels);
}

// At most what the probe consumes: the block in which the first header was found (up to
// 4096 bytes of the audio), the frame cut by its end, and the frames after it whose data
// lies partly in the bit reservoir before them (up to 511 bytes back, several small frames).
size_t ProbeSkip(const audiotest::ReferenceDecode& reference) {
  return reference.SamplesBefore(4096 + 511, 2);
}

struct StreamCase {
  const char* name;
  int rate, channels, kbps;  // kbps 0 = VBR
  uint32_t version;
};

class StreamFormatTest : public ::testing::TestWithParam<StreamCase> {};

// Streams shorter than the 128 KiB prebuffer, played to the end: the PCM written is a
// libmad decode of the same bytes, less what the probe consumed.
TEST_P(StreamFormatTest, PlaysLikeLibmadToTheEnd) {
  const StreamCase c = GetParam();
  const std::string mp3 = testsupport::SynthesizeMp3(3.0, c.rate, c.channels, c.kbps);
  ASSERT_LT(mp3.size(), 128u * 1024);
  const auto reference = audiotest::DecodeWithLibmad(mp3, true);
  const WavRun run = PlayToWav(Serve(mp3));
  EXPECT_EQ(run.messages, kPlayedToEnd);
  EXPECT_EQ(run.header.sampleRate, uint32_t(c.rate));
  EXPECT_EQ(run.header.channels, uint32_t(c.channels));
  EXPECT_EQ(run.header.version, c.version);
  EXPECT_EQ(run.header.layer, 3u);
  EXPECT_TRUE(audiotest::PlaysAsReferenceTail(run.samples, reference.samples,
                                              Samples(0.1, reference), ProbeSkip(reference)));
}

INSTANTIATE_TEST_SUITE_P(Formats, StreamFormatTest,
                         ::testing::Values(StreamCase{"cbr44stereo", 44100, 2, 128, 1},
                                           StreamCase{"mpeg2mono", 22050, 1, 32, 2},
                                           StreamCase{"vbr", 44100, 2, 0, 1}),
                         [](const ::testing::TestParamInfo<StreamCase>& p) { return std::string(p.param.name); });

TEST(StreamPlayerTest, SkipsGarbageAndFalseHeadersBeforeTheAudio) {
  const std::string mp3 = testsupport::SynthesizeMp3(3.0, 44100, 2, 128);
  const auto reference = audiotest::DecodeWithLibmad(mp3, true);
  // A lone 48 kHz mono header early in the first block, with no frame where its length
  // points; then 6000 bytes of random garbage ahead of the real frames.
  std::string garbage = std::string(64, '\0') + "\xFF\xFB\x94\xC4" + std::string(1500, '\0');
  garbage += audiotest::RandomBytes(6000, 7);
  const WavRun run = PlayToWav(Serve(garbage + mp3));
  EXPECT_EQ(run.messages, kPlayedToEnd);
  EXPECT_EQ(run.header.sampleRate, 44100u);
  EXPECT_EQ(run.header.channels, 2u);
  EXPECT_TRUE(audiotest::PlaysAsReferenceTail(run.samples, reference.samples,
                                              Samples(0.1, reference), ProbeSkip(reference)));
}

TEST(StreamPlayerTest, SkipsAMegabyteId3TagBeforeTheAudio) {
  const std::string mp3 = testsupport::SynthesizeMp3(3.0, 44100, 2, 128);
  const auto reference = audiotest::DecodeWithLibmad(mp3, true);
  const WavRun run = PlayToWav(Serve(audiotest::Id3Tag(1 << 20) + mp3));
  EXPECT_EQ(run.messages, kPlayedToEnd);
  EXPECT_EQ(run.header.sampleRate, 44100u);
  EXPECT_TRUE(audiotest::PlaysAsReferenceTail(run.samples, reference.samples,
                                              Samples(0.1, reference), ProbeSkip(reference)));
}

TEST(StreamPlayerTest, RandomBytesEndTheTrackWithoutPlaying) {
  auto sink = std::make_unique<platform::NullPcmSink>(0.0);
  platform::NullPcmSink* nullSink = sink.get();
  ScriptedServer server(Serve(audiotest::RandomBytes(300 * 1024, 12345)));
  RecordingTarget target;
  StreamPlayer player(std::move(sink), audiotest::ShortHttpOptions());
  player.setNotifyWindow(&target);
  player.setUrl(platform::Utf8ToUtf16(server.Url("/noise.mp3")));
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(player.play());
  ASSERT_TRUE(target.WaitFor(kMsgTrackEnded, 1, 10s));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  EXPECT_EQ(target.Messages(), (std::vector<uint32_t>{kMsgPlayerTeardownDone, kMsgTrackEnded}));
  EXPECT_EQ(nullSink->BytesPlayed(), 0u);
  EXPECT_FALSE(player.headerFound());
  EXPECT_EQ(player.state(), StreamPlayer::Stopped);
}

TEST(StreamPlayerTest, NoServerEndsTheTrack) {
  uint16_t port = 0;
  {
    ScriptedServer closed(testsupport::ServerScript{});
    port = closed.port();
  }
  RecordingTarget target;
  StreamPlayer player(std::make_unique<platform::NullPcmSink>(0.0), audiotest::ShortHttpOptions());
  player.setNotifyWindow(&target);
  player.setUrl(u"http://127.0.0.1:" + platform::Utf8ToUtf16(std::to_string(port)) + u"/");
  ASSERT_TRUE(player.play());
  ASSERT_TRUE(target.WaitFor(kMsgTrackEnded));
  EXPECT_EQ(target.Messages(), (std::vector<uint32_t>{kMsgPlayerTeardownDone, kMsgTrackEnded}));
}

// The server stops sending mid-stream: the device runs dry and is paused, then resumes by
// itself when the data comes back, and nothing is lost.
TEST(StreamPlayerTest, StallPausesTheDeviceAndPlaybackResumes) {
  const std::string mp3 = testsupport::SynthesizeMp3(12.0, 44100, 2, 128);
  const auto reference = audiotest::DecodeWithLibmad(mp3, true);
  const std::string response = testsupport::HttpResponse(mp3, "audio/mpeg");
  const size_t firstPart = 160 * 1024;  // more than the prebuffer
  ScriptedServer server({testsupport::ReadRequest(), testsupport::Send(response.substr(0, firstPart)),
                         testsupport::Pause(1500), testsupport::Send(response.substr(firstPart)),
                         testsupport::Close()});
  auto sink = std::make_unique<platform::NullPcmSink>(20.0);
  platform::NullPcmSink* nullSink = sink.get();
  RecordingTarget target;
  StreamPlayer player(std::move(sink), audiotest::ShortHttpOptions());
  player.setNotifyWindow(&target);
  player.setUrl(platform::Utf8ToUtf16(server.Url("/stall.mp3")));
  ASSERT_TRUE(player.play());
  ASSERT_TRUE(target.WaitFor(kMsgPlaybackStarted));
  ASSERT_TRUE(testsupport::WaitUntil([&] { return nullSink->BytesPlayed() > 0; }));
  // Ran dry during the stall: held paused while still playing the track.
  ASSERT_TRUE(testsupport::WaitUntil([&] {
    return nullSink->IsPaused() && player.output().inFlight() == 0;
  }));
  EXPECT_EQ(player.state(), StreamPlayer::Playing);
  const uint64_t playedBeforeStall = nullSink->BytesPlayed();
  ASSERT_TRUE(target.WaitFor(kMsgTrackEnded));
  EXPECT_EQ(target.Messages(), kPlayedToEnd);
  EXPECT_GT(nullSink->BytesPlayed(), playedBeforeStall);
  const size_t playedSamples = nullSink->BytesPlayed() / 2;
  EXPECT_LE(playedSamples, reference.samples.size());
  EXPECT_GE(playedSamples + ProbeSkip(reference), reference.samples.size());
}

}  // namespace
}  // namespace audio
