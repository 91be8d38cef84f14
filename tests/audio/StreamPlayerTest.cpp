#include "audio/StreamPlayer.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <tuple>

#include "platform/TextCodec.h"
#include "platform/audio/null/NullPcmSink.h"
#include "platform/audio/wav/WavPcmSink.h"
#include "tests/audio/AudioTestSupport.h"
#include "tests/support/Mp3Synth.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/ShortHttpOptions.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// Allocation failures on demand for the decoder-loss case (skipped under the sanitizers, which
// own the allocator): while armed, a decoder's first Layer III frame and every decoder after
// the first fail to allocate.
extern "C" void* __libc_calloc(size_t count, size_t size);
namespace {
std::atomic<bool> gStarveDecoders{false};
std::atomic<int> gDecodersAsked{0};
}  // namespace
extern "C" void* calloc(size_t count, size_t size) {
  if (gStarveDecoders && count * size == 2 * 32 * 18 * sizeof(mad_fixed_t)) return nullptr;
  return __libc_calloc(count, size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (gStarveDecoders && size == sizeof(audio::Mp3Decoder) && gDecodersAsked++ > 0) return nullptr;
  try {
    return ::operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
#endif

namespace audio {
namespace {

using audiotest::RecordingTarget;
using testsupport::ScriptedServer;
using namespace std::chrono_literals;

const std::vector<uint32_t> kPlayedToEnd = {kMsgPlaybackStarted, kMsgPlayerTeardownDone, kMsgTrackEnded};

// 40 s at 22050 Hz mono, more than the prebuffer; the connection is kept open after it.
const std::string& LongTrackResponse() {
  static const std::string response =
      testsupport::HttpResponse(testsupport::SynthesizeMp3(40.0, 22050, 1, 64), "audio/mpeg");
  return response;
}
testsupport::ServerScript LongTrack() {
  return {testsupport::ReadRequest(), testsupport::Send(LongTrackResponse()), testsupport::Hang()};
}

struct PlayerFixture {
  explicit PlayerFixture(testsupport::ServerScript script, double speed = 1.0) : server(std::move(script)) {
    auto owned = std::make_unique<platform::NullPcmSink>(speed);
    sink = owned.get();
    player = std::make_unique<StreamPlayer>(std::move(owned), testsupport::ShortHttpOptions(5'000'000));
    player->setNotifyWindow(&target);
    player->setUrl(platform::Utf8ToUtf16(server.Url("/long.mp3")));
  }
  ScriptedServer server;
  RecordingTarget target;
  platform::NullPcmSink* sink = nullptr;
  std::unique_ptr<StreamPlayer> player;
};

testsupport::ServerScript Serve(const std::string& body) {
  return testsupport::Reply(testsupport::HttpResponse(body, "audio/mpeg"));
}

std::string Garbage() {
  return std::string(64, '\0') + "\xFF\xFB\x94\xC4" + std::string(1500, '\0') + audiotest::RandomBytes(6000, 7);
}

// Plays the scripts' track into a WAV file, expecting it to play to its end.
struct WavRun {
  std::string wav;
  std::vector<std::string> requests;
  Mp3FrameHeader header;
};
WavRun PlayToWav(std::vector<testsupport::ServerScript> scripts, uint64_t* lengthSamples = nullptr) {
  testsupport::TempDir dir;
  ScriptedServer server(std::move(scripts));
  RecordingTarget target;
  WavRun run;
  {
    StreamPlayer player(std::make_unique<platform::WavPcmSink>((dir / "out.wav").string()),
                        testsupport::ShortHttpOptions(5'000'000));
    player.setNotifyWindow(&target);
    player.setUrl(platform::Utf8ToUtf16(server.Url("/track.mp3")));
    EXPECT_TRUE(player.play());
    EXPECT_TRUE(target.WaitFor(kMsgTrackEnded));
    EXPECT_EQ(player.position(), 0u);
    run.header = player.header();
    if (lengthSamples) *lengthSamples = player.lengthSamples();
  }
  EXPECT_EQ(target.Messages(), kPlayedToEnd);
  run.requests = server.Requests();
  run.wav = testsupport::ReadFile(dir / "out.wav");
  return run;
}

class StreamFormatTest : public ::testing::TestWithParam<audiotest::FixtureKind> {};

// Each kind of file, played into a WAV file at unlimited speed: the PCM is the reference decode
// sample for sample and the length the true one (within a second for VBR without a header);
// behind a false header and garbage, or a megabyte ID3v2 tag, the same.
TEST_P(StreamFormatTest, PlaysEverySampleOfTheEncoderInput) {
  const audiotest::FixtureKind& kind = GetParam();
  const testsupport::EncodedMp3 file = audiotest::EncodeFixture(kind);
  const std::vector<int16_t> reference = testsupport::ReferenceDecode(file);
  ASSERT_FALSE(reference.empty());
  if (file.infoFrame) {
    ASSERT_EQ(reference.size(), file.pcm.size());
  }
  for (const std::string& prefix : {std::string(), Garbage(), audiotest::Id3Tag(1 << 20)}) {
    // Behind the prefixes: one kind suffices.
    if (!prefix.empty() && &kind != &audiotest::FixtureKinds().front()) continue;
    SCOPED_TRACE(prefix.size());
    uint64_t length = 0;
    const WavRun run = PlayToWav({Serve(prefix + file.bytes)}, &length);
    EXPECT_EQ(std::make_tuple(run.header.version, run.header.layer, run.header.sampleRate),
              std::make_tuple(kind.version, 3u, uint32_t(kind.options.sampleRate)));
    ASSERT_GT(run.wav.size(), platform::WavPcmSink::kHeaderBytes);
    const auto played = audiotest::SamplesFromBytes(run.wav.data() + platform::WavPcmSink::kHeaderBytes,
                                                    run.wav.size() - platform::WavPcmSink::kHeaderBytes);
    ASSERT_EQ(played.size(), reference.size());
    const auto differs = std::mismatch(played.begin(), played.end(), reference.begin());
    EXPECT_EQ(differs.first - played.begin(), std::ptrdiff_t(played.size())) << "first sample unlike the reference";
    const int64_t truth = int64_t(file.Frames());
    if (file.infoFrame) {
      EXPECT_EQ(int64_t(length), truth);
    } else {
      EXPECT_LE(std::llabs(int64_t(length) - truth), kind.options.sampleRate);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, StreamFormatTest, ::testing::ValuesIn(audiotest::FixtureKinds()),
                         [](const auto& p) { return std::string(p.param.name); });

// Random bytes only, or no server at all: the track ends, in bounded time, with nothing played.
TEST(StreamPlayerTest, UnplayableSourcesEndTheTrackWithoutPlaying) {
  for (bool noise : {true, false}) {
    SCOPED_TRACE(noise ? "noise" : "no server");
    PlayerFixture f(Serve(audiotest::RandomBytes(300 * 1024, 12345)), 0.0);
    if (!noise) f.player->setUrl(platform::Utf8ToUtf16(testsupport::RefusingUrl()));
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(f.player->play());
    ASSERT_TRUE(f.target.WaitFor(kMsgTrackEnded));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_EQ(f.target.Messages(), (std::vector<uint32_t>{kMsgPlayerTeardownDone, kMsgTrackEnded}));
    EXPECT_EQ(f.sink->BytesPlayed(), 0u);
    EXPECT_FALSE(f.player->headerFound());
    EXPECT_EQ(f.player->state(), StreamPlayer::Stopped);
  }
}

// A stall mid-stream pauses the dry device; it resumes by itself and nothing is lost.
TEST(StreamPlayerTest, StallPausesTheDeviceAndPlaybackResumes) {
  const std::string mp3 = testsupport::SynthesizeMp3(12.0, 44100, 2, 128);
  const std::string response = testsupport::HttpResponse(mp3, "audio/mpeg");
  const size_t firstPart = 160 * 1024;  // more than the prebuffer
  testsupport::ServerScript script{testsupport::ReadRequest(), testsupport::Send(response.substr(0, firstPart)),
                                   testsupport::Pause(1500), testsupport::Send(response.substr(firstPart))};
  PlayerFixture f(std::move(script), 20.0);
  ASSERT_TRUE(f.player->play());
  ASSERT_TRUE(testsupport::WaitUntil([&] { return f.sink->BytesPlayed() > 0; }));
  ASSERT_TRUE(testsupport::WaitUntil([&] { return f.sink->IsPaused() && f.player->output().inFlight() == 0; }));
  EXPECT_EQ(f.player->state(), StreamPlayer::Playing);
  // Paused and resumed during the stall: the device stays held until enough is queued again.
  f.player->togglePause();
  EXPECT_EQ(f.player->state(), StreamPlayer::Paused);
  ASSERT_TRUE(f.player->play());
  EXPECT_EQ(f.player->state(), StreamPlayer::Playing);
  EXPECT_TRUE(f.sink->IsPaused());
  ASSERT_TRUE(f.target.WaitFor(kMsgTrackEnded));
  EXPECT_EQ(f.target.Messages(), kPlayedToEnd);
  EXPECT_EQ(f.sink->BytesPlayed() / 2, size_t(12 * 44100 * 2));  // every sample, delay and padding trimmed
}

// Drops at 30 % (close) and 70 % (reset) resume by Range to output equal to an undisturbed run;
// a server answering the Range request with the whole file (200) ends the track instead.
TEST(StreamPlayerTest, ADroppedStreamResumesWhereItStopped) {
  using testsupport::SendRange;
  const std::string mp3 = testsupport::SynthesizeMp3(12.0, 44100, 2, 128);
  const size_t n = mp3.size();
  const std::string undisturbed =
      PlayToWav({{testsupport::ReadRequest(), SendRange(mp3, n), testsupport::Close()}}).wav;
  ASSERT_GT(undisturbed.size(), 44100u * 4 * 10);

  const WavRun resumed = PlayToWav(
      {{testsupport::ReadRequest(), SendRange(mp3, n * 3 / 10), testsupport::Pause(50), testsupport::Close()},
       {testsupport::ReadRequest(), SendRange(mp3, n * 7 / 10), testsupport::Pause(50), testsupport::Reset()},
       {testsupport::ReadRequest(), SendRange(mp3, n), testsupport::Close()}});
  ASSERT_EQ(resumed.requests.size(), 3u);
  EXPECT_EQ(resumed.requests[0].find("Range:"), std::string::npos);
  EXPECT_NE(resumed.requests[1].find("\r\nRange: bytes="), std::string::npos);
  EXPECT_NE(resumed.requests[2].find("\r\nRange: bytes="), std::string::npos);
  EXPECT_EQ(resumed.wav.size(), undisturbed.size());
  EXPECT_TRUE(resumed.wav == undisturbed) << "resumed output differs from the undisturbed one";

  const WavRun refused = PlayToWav(
      {{testsupport::ReadRequest(), SendRange(mp3, n * 3 / 10), testsupport::Pause(50), testsupport::Close()},
       {testsupport::ReadRequest(), testsupport::Send(testsupport::HttpResponse(mp3, "audio/mpeg")),
        testsupport::Close()}});
  EXPECT_EQ(refused.requests.size(), 2u);
  EXPECT_LT(refused.wav.size(), undisturbed.size() / 2);
}

TEST(StreamPlayerControlTest, PauseWhileConnectingIsIgnoredAndStopReportsTheReason) {
  // The server accepts and never answers: the player stays in Connecting.
  PlayerFixture f({testsupport::ReadRequest(), testsupport::Hang()});
  ASSERT_TRUE(f.player->play());
  ASSERT_TRUE(testsupport::WaitUntil([&] { return f.player->status() == StreamPlayer::StatusConnecting; }));
  f.player->togglePause();
  EXPECT_EQ(f.player->state(), StreamPlayer::Connecting);
  EXPECT_FALSE(f.player->play());  // already running
  EXPECT_EQ(f.player->position(), 0u);
  f.player->stop(1);
  // A stop for good while starting must not let the playlist move on.
  EXPECT_EQ(f.target.Messages(), (std::vector<uint32_t>{kMsgPlayerTeardownDone, kMsgStoppedNoAdvance}));
}

// A stop right after `play` ends the pending connect at once, not at the 70 s connect limit.
TEST(StreamPlayerControlTest, StopRightAfterPlayEndsAPendingConnectAtOnce) {
  testsupport::StalledListener listener;
  RecordingTarget target;
  StreamPlayer player(std::make_unique<platform::NullPcmSink>(0.0));  // the product's limits
  player.setNotifyWindow(&target);
  ASSERT_TRUE(player.setUrl(platform::Utf8ToUtf16(listener.Url("/a.mp3"))));
  std::vector<uint32_t> expected;
  for (int cycle = 0; cycle < 10; ++cycle) {
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(player.play());
    player.stop(cycle % 2);
    ASSERT_LT(std::chrono::steady_clock::now() - start, 1s) << "cycle " << cycle;
    expected.push_back(kMsgPlayerTeardownDone);
    expected.push_back(cycle % 2 == 0 ? kMsgStoppedAdvance : kMsgStoppedNoAdvance);
  }
  EXPECT_EQ(target.Messages(), expected);
}

// Child process: address space capped at what is mapped plus 1 MiB, so no thread stack fits.
void PlayWithoutAddressSpace() {
  StreamPlayer player(std::make_unique<platform::NullPcmSink>(0.0));
  player.setUrl(u"http://127.0.0.1:1/a.mp3");
  long pages = 0;
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  if (!statm || std::fscanf(statm, "%ld", &pages) != 1) std::exit(3);
  std::fclose(statm);
  const rlim_t now = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE));
  const rlimit limit{now + (1 << 20), now + (1 << 20)};
  if (setrlimit(RLIMIT_AS, &limit) != 0) std::exit(4);
  const bool started = player.play();
  std::exit(!started && player.state() == StreamPlayer::Stopped ? 0 : 1);
}

// `play` reports a playback thread that cannot be made and leaves the player stopped.
TEST(StreamPlayerControlTest, AThreadThatCannotStartLeavesThePlayerStopped) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "the sanitizers reserve address space that the limit below would refuse";
#endif
  // A fresh process: a forked one could reuse the stacks of threads earlier tests joined.
  ::testing::FLAGS_gtest_death_test_style = "threadsafe";
  EXPECT_EXIT(PlayWithoutAddressSpace(), ::testing::ExitedWithCode(0), "");
}

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// Child process: the first frame's decode fails fatally and no fresh decoder can be made.
void PlayWithoutDecoders() {
  PlayerFixture f(Serve(testsupport::SynthesizeMp3(3.0, 44100, 2, 128)), 0.0);
  gStarveDecoders = true;
  if (!f.player->play() || !f.target.WaitFor(kMsgTrackEnded)) std::exit(2);
  const bool failed = f.target.Messages() == kPlayedToEnd && f.sink->BytesPlayed() == 0 && gDecodersAsked == 2 &&
                      f.player->state() == StreamPlayer::Stopped;
  std::exit(failed ? 0 : 1);
}
#endif

// A fatal decoder error with no fresh decoder fails the track (the playlist moves on).
TEST(StreamPlayerControlTest, ADecoderLostToAFatalErrorFailsTheTrack) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "the sanitizers own the allocator that this case makes fail";
#else
  ::testing::FLAGS_gtest_death_test_style = "threadsafe";
  EXPECT_EXIT(PlayWithoutDecoders(), ::testing::ExitedWithCode(0), "");
#endif
}

// Position counts from 0 on each track and is 0 while stopped.
TEST(StreamPlayerControlTest, PauseResumeAndPositionAcrossTracks) {
  PlayerFixture f(LongTrack(), 10.0);
  EXPECT_EQ(f.player->position(), 0u);
  ASSERT_TRUE(f.player->play());
  ASSERT_TRUE(f.target.WaitFor(kMsgPlaybackStarted));
  // Two seconds of audio into the first track.
  ASSERT_TRUE(testsupport::WaitUntil([&] { return f.player->position() > 2 * 22050; }));
  f.player->togglePause();
  EXPECT_EQ(f.player->state(), StreamPlayer::Paused);
  EXPECT_TRUE(f.sink->IsPaused());
  const uint32_t pausedAt = f.player->position();
  EXPECT_TRUE(f.player->play());
  EXPECT_EQ(f.player->state(), StreamPlayer::Playing);
  ASSERT_TRUE(testsupport::WaitUntil([&] { return f.player->position() > pausedAt; }));
  uint32_t capacity = 0, queued = 0, received = 0;
  f.player->bufferFill(capacity, queued, received);
  EXPECT_GT(capacity, 0u);
  EXPECT_GT(received, 128u * 1024);
  EXPECT_EQ(f.player->contentLength(),
            int32_t(LongTrackResponse().size() - LongTrackResponse().find("\r\n\r\n") - 4));
  f.player->stop(1);
  EXPECT_EQ(f.player->position(), 0u);

  ASSERT_TRUE(f.player->play());
  ASSERT_TRUE(f.target.WaitFor(kMsgPlaybackStarted, 2));
  EXPECT_LT(f.player->position(), 22050u);
  f.player->resetAll();
  EXPECT_EQ(f.player->position(), 0u);
  EXPECT_EQ(f.player->source(), StreamPlayer::SourceNone);
  EXPECT_FALSE(f.player->play());  // no URL any more
}

// Every start/stop cycle ends with one teardown and the stop's own message; no fd leaks.
TEST(StreamPlayerControlTest, HundredRapidStartStopCycles) {
  PlayerFixture f(LongTrack());
  const int fdsBefore = testsupport::OpenFdCount();
  for (int cycle = 0; cycle < 100; ++cycle) {
    SCOPED_TRACE(cycle);
    const std::vector<uint32_t> earlier = f.target.Messages();
    const int startsBefore = int(std::count(earlier.begin(), earlier.end(), kMsgPlaybackStarted));
    const int32_t reason = cycle % 2;
    const bool started = cycle % 3 == 0;
    ASSERT_TRUE(f.player->play());
    if (started) {
      ASSERT_TRUE(f.target.WaitFor(kMsgPlaybackStarted, startsBefore + 1));
    }
    f.player->stop(reason);
    std::vector<uint32_t> messages = f.target.Messages();
    messages.erase(messages.begin(), messages.begin() + earlier.size());
    if (!started && !messages.empty() && messages.front() == kMsgPlaybackStarted) messages.erase(messages.begin());
    std::vector<uint32_t> expected{kMsgPlayerTeardownDone, reason == 0 ? kMsgStoppedAdvance : kMsgStoppedNoAdvance};
    if (started) expected.insert(expected.begin(), kMsgPlaybackStarted);
    ASSERT_EQ(messages, expected);
    ASSERT_EQ(f.player->state(), StreamPlayer::Stopped);
    ASSERT_EQ(f.player->status(), StreamPlayer::StatusReady);
  }
  f.server.Stop();
  EXPECT_TRUE(testsupport::WaitUntil([&] { return testsupport::OpenFdCount() <= fdsBefore; }))
      << testsupport::OpenFdCount() << " descriptors open, " << fdsBefore << " before";
}

}  // namespace
}  // namespace audio
