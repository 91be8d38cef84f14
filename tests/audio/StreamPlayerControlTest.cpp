#include <gtest/gtest.h>

#include "audio/StreamPlayer.h"
#include "platform/NullPcmSink.h"
#include "platform/TextCodec.h"
#include "tests/audio/PlayerTestSupport.h"
#include "tests/support/Mp3Synth.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/WaitUntil.h"

namespace audio {
namespace {

using audiotest::RecordingTarget;
using testsupport::ScriptedServer;
using namespace std::chrono_literals;

// A track far longer than any test (40 s, 320 KB, more than the prebuffer): the server sends
// it and keeps the connection open.
const std::string& LongTrackResponse() {
  static const std::string response = testsupport::HttpResponse(
      testsupport::SynthesizeMp3(40.0, 22050, 1, 64), "audio/mpeg");
  return response;
}

struct ControlFixture {
  explicit ControlFixture(testsupport::ServerScript script, double speed = 1.0)
      : server(std::move(script)) {
    auto owned = std::make_unique<platform::NullPcmSink>(speed);
    sink = owned.get();
    player = std::make_unique<StreamPlayer>(std::move(owned), audiotest::ShortHttpOptions());
    player->setNotifyWindow(&target);
    player->setUrl(platform::Utf8ToUtf16(server.Url("/long.mp3")));
  }

  ScriptedServer server;
  RecordingTarget target;
  platform::NullPcmSink* sink = nullptr;
  std::unique_ptr<StreamPlayer> player;
};

testsupport::ServerScript LongTrack() {
  return {testsupport::ReadRequest(), testsupport::Send(LongTrackResponse()), testsupport::Hang()};
}

TEST(StreamPlayerControlTest, StopReasonsDecideTheLastMessage) {
  for (int32_t reason : {0, 1}) {
    ControlFixture f(LongTrack());
    ASSERT_TRUE(f.player->play());
    ASSERT_TRUE(f.target.WaitFor(kMsgPlaybackStarted));
    f.player->stop(reason);
    EXPECT_EQ(f.player->state(), StreamPlayer::Stopped);
    EXPECT_EQ(f.target.Messages(),
              (std::vector<uint32_t>{kMsgPlaybackStarted, kMsgPlayerTeardownDone,
                                     reason == 0 ? kMsgStoppedAdvance : kMsgStoppedNoAdvance}))
        << "reason " << reason;
    EXPECT_EQ(f.player->status(), StreamPlayer::StatusReady);
  }
}

TEST(StreamPlayerControlTest, PauseWhileConnectingIsIgnoredAndStopReportsTheReason) {
  // The server accepts and never answers: the player stays in Connecting.
  ControlFixture f({testsupport::ReadRequest(), testsupport::Hang()});
  ASSERT_TRUE(f.player->play());
  ASSERT_TRUE(testsupport::WaitUntil([&] { return f.player->status() == StreamPlayer::StatusConnecting; }));
  f.player->togglePause();
  EXPECT_EQ(f.player->state(), StreamPlayer::Connecting);
  EXPECT_FALSE(f.player->play());  // already running
  EXPECT_EQ(f.player->position(), 0u);
  f.player->stop(1);
  // A stop for good while starting must not let the playlist move on.
  EXPECT_EQ(f.target.Messages(),
            (std::vector<uint32_t>{kMsgPlayerTeardownDone, kMsgStoppedNoAdvance}));
}

TEST(StreamPlayerControlTest, PauseHoldsTheDeviceAndPlayResumes) {
  ControlFixture f(LongTrack(), 4.0);
  ASSERT_TRUE(f.player->play());
  ASSERT_TRUE(f.target.WaitFor(kMsgPlaybackStarted));
  ASSERT_TRUE(testsupport::WaitUntil([&] { return f.player->position() > 0; }));
  f.player->togglePause();
  EXPECT_EQ(f.player->state(), StreamPlayer::Paused);
  EXPECT_TRUE(f.sink->IsPaused());
  const uint32_t pausedAt = f.player->position();
  EXPECT_GT(pausedAt, 0u);

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
}

TEST(StreamPlayerControlTest, PositionIsZeroWhileStoppedAndRestartsForEachTrack) {
  ControlFixture f(LongTrack(), 10.0);
  EXPECT_EQ(f.player->position(), 0u);
  ASSERT_TRUE(f.player->play());
  ASSERT_TRUE(f.target.WaitFor(kMsgPlaybackStarted));
  // Two seconds of 22050 Hz audio into the first track.
  ASSERT_TRUE(testsupport::WaitUntil([&] { return f.player->position() > 2 * 22050; }));
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

// Rapid start and stop: every cycle ends with exactly one teardown message followed by the
// stop's message, nothing hangs and no descriptor is left open.
TEST(StreamPlayerControlTest, HundredRapidStartStopCycles) {
  ControlFixture f(LongTrack());
  const int fdsBefore = testsupport::OpenFdCount();
  for (int cycle = 0; cycle < 100; ++cycle) {
    f.target.Clear();
    const int32_t reason = cycle % 2;
    ASSERT_TRUE(f.player->play()) << cycle;
    if (cycle % 3 == 0) {
      ASSERT_TRUE(f.target.WaitFor(kMsgPlaybackStarted)) << cycle;
    }
    f.player->stop(reason);
    std::vector<uint32_t> messages = f.target.Messages();
    if (!messages.empty() && messages.front() == kMsgPlaybackStarted) {
      messages.erase(messages.begin());
    }
    ASSERT_EQ(messages, (std::vector<uint32_t>{kMsgPlayerTeardownDone,
                                               reason == 0 ? kMsgStoppedAdvance
                                                           : kMsgStoppedNoAdvance}))
        << "cycle " << cycle;
    ASSERT_EQ(f.player->state(), StreamPlayer::Stopped);
  }
  f.server.Stop();
  EXPECT_TRUE(testsupport::WaitUntil([&] { return testsupport::OpenFdCount() <= fdsBefore; }))
      << testsupport::OpenFdCount() << " descriptors open, " << fdsBefore << " before";
}

}  // namespace
}  // namespace audio
