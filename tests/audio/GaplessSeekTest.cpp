// Gapless joins onto a track fetched ahead, and seeks by the Xing table or CBR arithmetic.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "audio/StreamPlayer.h"
#include "platform/TextCodec.h"
#include "tests/audio/AudioTestSupport.h"
#include "tests/audio/CapturePcmSink.h"
#include "tests/support/Mp3Synth.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/ShortHttpOptions.h"
#include "tests/support/WaitUntil.h"

namespace audio {
namespace {

using audiotest::CapturePcmSink;
using audiotest::RecordingTarget;
using testsupport::ScriptedServer;

// One server per track, answering every request (Range ones too) with its bytes.
struct TrackServers {
  explicit TrackServers(const std::vector<testsupport::EncodedMp3>& tracks) {
    for (const auto& track : tracks) {
      servers.push_back(std::make_unique<ScriptedServer>(
          testsupport::ServerScript{testsupport::ReadRequest(), testsupport::SendRange(track.bytes, track.bytes.size()),
                                    testsupport::Close()}));
    }
  }
  std::u16string Url(size_t i) const { return platform::Utf8ToUtf16(servers[i]->Url("/t.mp3")); }
  std::vector<std::unique_ptr<ScriptedServer>> servers;
};

struct Player {
  explicit Player(double speed) {
    auto owned = std::make_unique<CapturePcmSink>(speed);
    sink = owned.get();
    player = std::make_unique<StreamPlayer>(std::move(owned), testsupport::ShortHttpOptions(5'000'000));
    player->setNotifyWindow(&target);
  }
  NextTrack Next(const TrackServers& servers, size_t i) {
    NextTrack next;
    next.token = &servers.servers[i];
    next.info.title = u"track " + platform::Utf8ToUtf16(std::to_string(i));
    const std::u16string url = servers.Url(i);
    next.resolveUrl = [url](catalogue::HttpClient&) { return url; };
    return next;
  }
  // Plays the first of `servers` (the second named next when `withNext`); true once started.
  bool Start(const TrackServers& servers, bool withNext) {
    player->setUrl(servers.Url(0));
    if (withNext) player->setNextTrack(Next(servers, 1));
    return player->play() && target.WaitFor(kMsgPlaybackStarted);
  }
  RecordingTarget target;
  CapturePcmSink* sink = nullptr;
  std::unique_ptr<StreamPlayer> player;
};

std::vector<int16_t> Concatenated(const std::vector<testsupport::EncodedMp3>& tracks) {
  std::vector<int16_t> all;
  for (const auto& track : tracks) {
    const auto decoded = testsupport::ReferenceDecode(track);
    all.insert(all.end(), decoded.begin(), decoded.end());
  }
  return all;
}

// Plays `tracks` as the playlist would, naming and adopting each next one; returns at the end.
void PlayAll(Player& p, const TrackServers& servers, size_t count) {
  p.player->setUrl(servers.Url(0));
  ASSERT_TRUE(p.player->play());
  for (size_t i = 0; i < count; ++i) {
    ASSERT_TRUE(p.target.WaitFor(kMsgPlaybackStarted, int(i + 1)));
    EXPECT_EQ(p.player->trackInfo().title, i == 0 ? u"" : u"track " + platform::Utf8ToUtf16(std::to_string(i)));
    if (i + 1 < count) {
      p.player->setNextTrack(p.Next(servers, i + 1));
    } else {
      p.player->clearNextTrack();
    }
    ASSERT_TRUE(p.target.WaitFor(kMsgTrackEnded, int(i + 1)));
    if (i + 1 < count) {
      EXPECT_TRUE(p.player->adoptNextTrack(&servers.servers[i + 1])) << i;
    }
  }
}

std::vector<uint32_t> JoinedMessages(size_t tracks) {
  std::vector<uint32_t> expected{kMsgPlaybackStarted};
  for (size_t i = 1; i < tracks; ++i) {
    expected.insert(expected.end(), {kMsgPlayerTeardownDone, kMsgTrackEnded, kMsgPlaybackStarted});
  }
  expected.insert(expected.end(), {kMsgPlayerTeardownDone, kMsgTrackEnded});
  return expected;
}

// One sweep cut into four tracks plays through one open device as the four reference decodes
// end to end, the sweep's length exactly; a second format in between reopens the device.
TEST(GaplessTest, ConsecutiveTracksJoinOnOneOpenDevice) {
  testsupport::Mp3EncodeOptions options;
  const std::vector<int16_t> sweep = testsupport::SweepPcm(6.0, 44100, 2);
  const auto tracks = testsupport::EncodeConsecutiveTracks(sweep, 4, options);
  TrackServers servers(tracks);
  Player p(4.0);
  PlayAll(p, servers, tracks.size());
  EXPECT_EQ(p.target.Messages(), JoinedMessages(4));
  EXPECT_EQ(p.sink->Opens(), 1);
  const std::vector<int16_t> played = p.sink->Samples();
  const std::vector<int16_t> reference = Concatenated(tracks);
  ASSERT_EQ(reference.size(), sweep.size());
  ASSERT_EQ(played.size(), reference.size());
  EXPECT_TRUE(played == reference) << "first difference at "
                                   << std::mismatch(played.begin(), played.end(), reference.begin()).first - played.begin();

  std::vector<testsupport::EncodedMp3> mixed = {tracks[0], testsupport::EncodePcm(testsupport::TonePcm(1.0, 22050, 1),
                                                                                 {22050, 1, 64, -1, true, 0})};
  TrackServers mixedServers(mixed);
  Player q(4.0);
  PlayAll(q, mixedServers, mixed.size());
  EXPECT_EQ(q.target.Messages(), JoinedMessages(2));
  EXPECT_EQ(q.sink->Opens(), 2);
  EXPECT_TRUE(q.sink->Samples() == Concatenated(mixed));
}

// A pause while the device holds the end of one track and the start of the next: nothing plays
// while paused and the join stays sample-exact on the same open device.
TEST(GaplessTest, PauseAtTheJoinKeepsItExact) {
  const auto tracks = testsupport::EncodeConsecutiveTracks(testsupport::SweepPcm(3.0, 44100, 2), 2, {});
  TrackServers servers(tracks);
  Player p(1.0);
  p.player->setUrl(servers.Url(0));
  ASSERT_TRUE(p.player->play());
  ASSERT_TRUE(p.target.WaitFor(kMsgPlaybackStarted));
  p.player->setNextTrack(p.Next(servers, 1));
  const uint64_t firstEnd = tracks[0].Frames();
  ASSERT_TRUE(testsupport::WaitUntil([&] { return p.player->position() + 44100 / 5 >= firstEnd; }));
  p.player->togglePause();
  ASSERT_EQ(p.player->state(), StreamPlayer::Paused);
  const size_t heard = p.sink->Samples().size();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(p.sink->Samples().size(), heard);
  EXPECT_LT(heard / 2, firstEnd);
  EXPECT_EQ(p.target.Messages(), std::vector<uint32_t>{kMsgPlaybackStarted});
  ASSERT_TRUE(p.player->play());
  ASSERT_TRUE(p.target.WaitFor(kMsgTrackEnded));
  EXPECT_TRUE(p.player->adoptNextTrack(&servers.servers[1]));
  p.player->clearNextTrack();
  ASSERT_TRUE(p.target.WaitFor(kMsgTrackEnded, 2));
  EXPECT_EQ(p.target.Messages(), JoinedMessages(2));
  EXPECT_EQ(p.sink->Opens(), 1);
  EXPECT_TRUE(p.sink->Samples() == Concatenated(tracks));
}

// A next track changed or cleared before the join is not joined on; a stop cancels the fetch.
TEST(GaplessTest, ChangedOrClearedNextTrackIsNotJoined) {
  const auto tracks = testsupport::EncodeConsecutiveTracks(testsupport::SweepPcm(2.0, 44100, 2), 2, {});
  TrackServers servers(tracks);
  Player p(2.0);
  ASSERT_TRUE(p.Start(servers, true));
  p.player->clearNextTrack();
  ASSERT_TRUE(p.target.WaitFor(kMsgTrackEnded));
  EXPECT_FALSE(p.player->adoptNextTrack(&servers.servers[1]));
  ASSERT_TRUE(testsupport::WaitUntil([&] { return p.player->state() == StreamPlayer::Stopped; }));
  EXPECT_EQ(p.target.Messages(), JoinedMessages(1));
  EXPECT_TRUE(p.sink->Samples() == testsupport::ReferenceDecode(tracks[0]));

  p.player->setUrl(servers.Url(0));
  p.player->setNextTrack(p.Next(servers, 1));
  ASSERT_TRUE(p.player->play());
  ASSERT_TRUE(p.target.WaitFor(kMsgPlaybackStarted, 2));
  p.player->stop(1);
  EXPECT_FALSE(p.player->adoptNextTrack(&servers.servers[1]));
  EXPECT_EQ(p.player->state(), StreamPlayer::Stopped);
}

// Where `played` after a flush at `from` is found in `reference` (checked within 0.25 s of
// `seconds`): the first 0.05 s equal sample for sample, from 0.2 s on; npos when nowhere.
size_t SeekLanded(const std::vector<int16_t>& played, size_t from, const std::vector<int16_t>& reference,
                  double seconds) {
  constexpr size_t kPerSecond = 44100 * 2, kSkip = kPerSecond / 5, kWindow = kPerSecond / 20;
  const auto start = played.begin() + long(std::min(played.size(), from + kSkip));
  const auto found = played.end() - start < long(kWindow) ? reference.end()
                                                           : std::search(reference.begin(), reference.end(), start,
                                                                         start + long(kWindow));
  if (found == reference.end()) {
    ADD_FAILURE() << "the PCM after the seek is not the track's";
    return std::string::npos;
  }
  const size_t at = size_t(found - reference.begin()) - kSkip;
  EXPECT_LE(std::abs(double(at) / kPerSecond - seconds), 0.25);
  return at;
}

// A seek in a VBR track, playing and paused: the position is the target at once, the PCM lands
// within 0.25 s of it, a paused track stays paused; a seek past the end ends the track.
TEST(SeekTest, SeeksByTheTableOfContentsPlayingAndPaused) {
  testsupport::Mp3EncodeOptions vbr;
  vbr.vbrQuality = 2;
  const testsupport::EncodedMp3 file = testsupport::EncodePcm(testsupport::SweepPcm(20.0, 44100, 2), vbr);
  TrackServers servers({file});
  Player p(4.0);
  EXPECT_FALSE(p.player->seekTo(0));  // nothing plays
  ASSERT_TRUE(p.Start(servers, false));
  const uint64_t length = p.player->lengthSamples();
  ASSERT_EQ(length, file.Frames());
  ASSERT_TRUE(p.player->canSeek());
  ASSERT_TRUE(testsupport::WaitUntil([&] { return p.player->position() > 44100; }));

  const size_t perSecond = 44100 * 2;
  for (const bool paused : {false, true}) {
    SCOPED_TRACE(paused ? "paused" : "playing");
    const uint64_t target = paused ? length / 4 : length / 2;
    if (paused) {
      p.player->togglePause();
      ASSERT_EQ(p.player->state(), StreamPlayer::Paused);
    }
    const size_t flushesBefore = p.sink->Flushes().size();
    ASSERT_TRUE(p.player->seekTo(target));
    EXPECT_GE(p.player->position(), target);
    EXPECT_LT(p.player->position(), target + 44100 / 2);
    ASSERT_TRUE(testsupport::WaitUntil([&] { return p.sink->Flushes().size() > flushesBefore; }));
    const size_t from = p.sink->Flushes()[flushesBefore];
    if (paused) {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      EXPECT_EQ(p.player->state(), StreamPlayer::Paused);
      EXPECT_TRUE(p.sink->IsPaused());
      EXPECT_EQ(p.sink->Samples().size(), from);
      EXPECT_EQ(p.player->position(), target);
      ASSERT_TRUE(p.player->play());
    }
    ASSERT_TRUE(testsupport::WaitUntil([&] { return p.sink->Samples().size() > from + perSecond; }));
    SeekLanded(p.sink->Samples(), from, testsupport::ReferenceDecode(file), double(target) / 44100);
    EXPECT_GE(p.player->position(), target);
  }

  EXPECT_TRUE(p.player->seekTo(length + 1000));
  ASSERT_TRUE(p.target.WaitFor(kMsgTrackEnded));
  EXPECT_EQ(p.target.Messages(), JoinedMessages(1));
  EXPECT_EQ(p.player->position(), 0u);
}

// A second seek asked for while the first waits for its range reply is not lost: the track
// goes on from the second target.
TEST(SeekTest, ASeekDuringASeekIsKept) {
  const testsupport::EncodedMp3 file = testsupport::EncodePcm(testsupport::SweepPcm(12.0, 44100, 2), {});
  ScriptedServer server({testsupport::ReadRequest(), testsupport::Pause(300),
                         testsupport::SendRange(file.bytes, file.bytes.size()), testsupport::Close()});
  Player p(1.0);
  p.player->setUrl(platform::Utf8ToUtf16(server.Url("/t.mp3")));
  ASSERT_TRUE(p.player->play() && p.target.WaitFor(kMsgPlaybackStarted));
  const uint64_t length = p.player->lengthSamples();
  ASSERT_TRUE(p.player->seekTo(length / 4));
  ASSERT_TRUE(testsupport::WaitUntil([&] { return server.Requests().size() == 2; }));
  ASSERT_TRUE(p.player->seekTo(length * 3 / 4));
  ASSERT_TRUE(testsupport::WaitUntil([&] { return server.Requests().size() == 3; }));
  EXPECT_GE(p.player->position(), length * 3 / 4);
  const size_t flushes = p.sink->Flushes().size();
  ASSERT_TRUE(testsupport::WaitUntil([&] { return p.sink->Samples().size() > p.sink->Flushes().back() + 44100 * 2; }));
  SeekLanded(p.sink->Samples(), p.sink->Flushes()[flushes - 1], testsupport::ReferenceDecode(file), 9.0);
}

// A seek back while the end plays out (all decoded) plays it again; the track ends once.
TEST(SeekTest, SeekBackWhileTheEndPlaysOut) {
  const testsupport::EncodedMp3 file = testsupport::EncodePcm(testsupport::SweepPcm(3.0, 44100, 2), {});
  TrackServers servers({file});
  Player p(1.0);
  ASSERT_TRUE(p.Start(servers, false));
  ASSERT_TRUE(testsupport::WaitUntil([&] { return p.player->position() > 44100 * 27 / 10; }));
  const size_t flushesBefore = p.sink->Flushes().size();
  ASSERT_TRUE(p.player->seekTo(44100));
  ASSERT_TRUE(p.target.WaitFor(kMsgTrackEnded));
  EXPECT_EQ(p.target.Messages(), JoinedMessages(1));
  ASSERT_GT(p.sink->Flushes().size(), flushesBefore);
  SeekLanded(p.sink->Samples(), p.sink->Flushes()[flushesBefore], testsupport::ReferenceDecode(file), 1.0);
}

// A seek while the next track is being fetched: the track plays on from the target to its
// last sample and the next one still joins on to its end, sample for sample. CBR seeks by
// arithmetic; VBR by the table, on a track whose first half is silent, so that the frame the
// decoder restarts at is estimated from uneven frames: its end is placed from the stream's end.
TEST(SeekTest, SeekWhileTheNextTrackIsFetched) {
  testsupport::Mp3EncodeOptions vbr;
  vbr.vbrQuality = 2;
  for (const bool variable : {false, true}) {
    SCOPED_TRACE(variable ? "VBR" : "CBR");
    std::vector<int16_t> pcm = testsupport::SweepPcm(12.0, 44100, 2);
    if (variable) std::fill(pcm.begin(), pcm.begin() + long(pcm.size() / 4), int16_t(0));
    const auto tracks = testsupport::EncodeConsecutiveTracks(pcm, 2, variable ? vbr : testsupport::Mp3EncodeOptions{});
    TrackServers servers(tracks);
    Player p(4.0);
    ASSERT_TRUE(p.Start(servers, true));
    // The first track's download is complete at once: the next one is being fetched.
    ASSERT_TRUE(testsupport::WaitUntil([&] { return servers.servers[1]->Requests().size() == 1; }));
    const uint64_t target = p.player->lengthSamples() * 13 / 20;  // in the sweep
    const size_t flushesBefore = p.sink->Flushes().size();
    ASSERT_TRUE(p.player->seekTo(target));
    ASSERT_TRUE(p.target.WaitFor(kMsgTrackEnded));
    EXPECT_TRUE(p.player->adoptNextTrack(&servers.servers[1]));
    ASSERT_TRUE(p.target.WaitFor(kMsgTrackEnded, 2));
    EXPECT_EQ(p.target.Messages(), JoinedMessages(2));
    EXPECT_EQ(p.sink->Opens(), 1);

    const std::vector<int16_t> played = p.sink->Samples();
    const auto first = testsupport::ReferenceDecode(tracks[0]);
    const auto second = testsupport::ReferenceDecode(tracks[1]);
    const size_t from = p.sink->Flushes()[flushesBefore];
    const size_t at = SeekLanded(played, from, first, double(target) / 44100);
    ASSERT_NE(at, std::string::npos);
    // The rest of the first track from there, then the whole second one.
    ASSERT_GE(played.size(), second.size());
    EXPECT_TRUE(std::equal(second.begin(), second.end(), played.end() - long(second.size())));
    const size_t firstPart = played.size() - second.size() - from;
    EXPECT_EQ(at + firstPart, first.size()) << "the first track's end after the seek";
    EXPECT_TRUE(std::equal(played.begin() + long(from) + 8820, played.begin() + long(from + firstPart),
                           first.end() - long(firstPart) + 8820));
  }
}

// A seek in a track that playback joined on to goes through that track's own stream.
TEST(SeekTest, SeekInAJoinedTrack) {
  const auto tracks = testsupport::EncodeConsecutiveTracks(testsupport::SweepPcm(16.0, 44100, 2), 2, {});
  TrackServers servers(tracks);
  Player p(4.0);
  ASSERT_TRUE(p.Start(servers, true));
  ASSERT_TRUE(p.target.WaitFor(kMsgPlaybackStarted, 2));
  ASSERT_TRUE(p.player->adoptNextTrack(&servers.servers[1]));
  ASSERT_TRUE(testsupport::WaitUntil([&] { return p.player->position() > 44100 / 2; }));
  const uint64_t target = p.player->lengthSamples() / 2;
  const size_t flushesBefore = p.sink->Flushes().size();
  ASSERT_TRUE(p.player->seekTo(target));
  ASSERT_TRUE(p.target.WaitFor(kMsgTrackEnded, 2));
  EXPECT_EQ(p.target.Messages(), JoinedMessages(2));
  EXPECT_EQ(servers.servers[1]->Requests().size(), 2u);  // the fetch ahead and the seek
  SeekLanded(p.sink->Samples(), p.sink->Flushes()[flushesBefore], testsupport::ReferenceDecode(tracks[1]),
             double(target) / 44100);
}

}  // namespace
}  // namespace audio
