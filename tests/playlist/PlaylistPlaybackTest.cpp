// The Current Playlist end to end over a real catalogue server, stream player and null sink.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "audio/PlayerNotifyTarget.h"
#include "audio/StreamPlayer.h"
#include "catalogue/CueListTracksRequest.h"
#include "catalogue/FeaturedCueListsRequest.h"
#include "core/AppSettings.h"
#include "platform/audio/null/NullPcmSink.h"
#include "playlist/CurrentPlaylist.h"
#include "server/CatalogueServer.h"
#include "tests/audio/AudioTestSupport.h"
#include "tests/playlist/RecordingPlaylistHost.h"
#include "tests/server/TestLibrary.h"
#include "tests/support/Mp3Synth.h"
#include "tests/support/ScriptedServer.h"

namespace {

using namespace std::chrono_literals;

int ZeroId(std::uint8_t*, std::size_t*) { return -1; }

class PlaylistPlaybackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    library_.AddDayAlbum(1.0);
    server::ServerOptions options;
    options.library = library_.Root();
    ASSERT_TRUE(catalogue_.Start(options));
    service_ = audio::StreamUrlService{catalogue_.BaseUrl(), core::RequestIdentity::From(settings_), {}};
    player_.setNotifyWindow(&queue_);
    playlist_ = std::make_unique<playlist::CurrentPlaylist>(player_, service_, dir_ / "data.dat", host_);
  }
  void TearDown() override { player_.stop(1); }

  catalogue::CueListRecord FeaturedCueList() {
    catalogue::FeaturedCueListsRequest request(catalogue_.BaseUrl(), settings_);
    request.pageSize = 10;
    request.buildUrl("");
    request.run(0);
    EXPECT_EQ(request.resultCount(), 1u);
    catalogue::CueListRecord record;
    std::memset(&record, 0, sizeof record);
    if (request.resultCount() > 0) record = *request.itemAt(0);
    return record;
  }

  playlist::CurrentPlaylist::EndOutcome Pump(int ends);
  // Adds an entry that streams from `location` (its stream id unknown to the server).
  void AddAt(const std::string& location, const char* title = "");
  std::size_t handled_ = 0;  // messages of `queue_` that Pump has handed on
  // The first track of the featured CueList.
  std::unique_ptr<catalogue::AudioCueRecord> FeaturedTrack() {
    catalogue::CueListTracksRequest request(catalogue_.BaseUrl(), service_.identity, service_.httpOptions);
    request.buildUrl(FeaturedCueList().playlist_id);
    request.run(0);
    auto record = std::make_unique<catalogue::AudioCueRecord>();
    EXPECT_GT(request.resultCount(), 0u);
    if (request.resultCount() > 0) *record = *request.itemAt(0);
    return record;
  }

  servertest::TestLibrary library_;
  testsupport::TempDir dir_;
  platform::RegistryStore store_{dir_ / "config"};
  core::AppSettings settings_{store_, ZeroId};
  server::CatalogueServer catalogue_;
  audio::StreamUrlService service_;
  audio::StreamPlayer player_{std::make_unique<platform::NullPcmSink>(0.0)};
  audiotest::RecordingTarget queue_;
  RecordingPlaylistHost host_;
  std::unique_ptr<playlist::CurrentPlaylist> playlist_;
};

TEST_F(PlaylistPlaybackTest, AnUnknownStreamIdPlaysTheRecordsLocation) {
  playlist_->addCueList(FeaturedCueList());
  catalogue::AudioCueRecord orphan = *playlist_->entryAt(1)->record;
  catalogue::CopyToSlot(orphan.mp3_url_id, "999999");
  catalogue::CopyToSlot(orphan.title, "Orphan");
  playlist_->addTrack(orphan);
  playlist_->currentIndex = 3;
  playlist_->playCurrent(false);
  ASSERT_TRUE(queue_.WaitFor(audio::kMsgPlaybackStarted));
  EXPECT_EQ(player_.trackInfo().title, u"Orphan");
  ASSERT_TRUE(queue_.WaitFor(audio::kMsgTrackEnded));

  // Neither stream URL nor location: the track fails, not under the previous track's URL.
  catalogue::CopyToSlot(orphan.location, "ftp://127.0.0.1/none.mp3");
  catalogue::CopyToSlot(orphan.title, "Nowhere");
  playlist_->addTrack(orphan);
  playlist_->currentIndex = 4;
  playlist_->playCurrent(false);
  ASSERT_TRUE(queue_.WaitFor(audio::kMsgTrackEnded, 2));
  // Two starts: the orphan, and entry 0 joined on at its end (wrap-around); none for the bad one.
  EXPECT_EQ(queue_.Count(audio::kMsgPlaybackStarted), 2);

  // A CueList added onto a playlist that has entries renames it.
  playlist_->title = u"Mine";
  playlist_->addCueList(FeaturedCueList());
  EXPECT_EQ(playlist_->title, u"A Day");
  EXPECT_EQ(playlist_->count(), 8u);
}

// Choosing or restarting while a track plays stops it for good (12027, not 12026, or it skips).
TEST_F(PlaylistPlaybackTest, ChoosingAnEntryWhilePlayingStopsWithoutMovingOn) {
  // Longer than the prebuffer, and the connection stays open: the track plays until stopped.
  testsupport::ScriptedServer stream({testsupport::ReadRequest(),
                                      testsupport::Send(testsupport::HttpResponse(
                                          testsupport::SynthesizeMp3(40.0, 22050, 1, 64), "audio/mpeg")),
                                      testsupport::Hang()});
  for (const char* title : {"One", "Two", "Three"}) AddAt(stream.Url("/long.mp3"), title);
  playlist_->playCurrent(false);
  ASSERT_TRUE(queue_.WaitFor(audio::kMsgPlaybackStarted, 1));
  playlist_->selectedIndex = 2;
  playlist_->playSelected();
  ASSERT_TRUE(queue_.WaitFor(audio::kMsgPlaybackStarted, 2));
  EXPECT_EQ(player_.trackInfo().title, u"Three");
  playlist_->playCurrent(true);
  ASSERT_TRUE(queue_.WaitFor(audio::kMsgPlaybackStarted, 3));
  player_.stop(1);
  EXPECT_EQ(queue_.Count(audio::kMsgStoppedNoAdvance), 3);
  EXPECT_EQ(queue_.Count(audio::kMsgStoppedAdvance), 0);
  EXPECT_EQ(queue_.Count(audio::kMsgTrackEnded), 0);
  EXPECT_EQ(playlist_->currentIndex, 2u);
}

// Hands the player's messages to the playlist until `ends` tracks end or it stops; the last end.
playlist::CurrentPlaylist::EndOutcome PlaylistPlaybackTest::Pump(int ends) {
  auto outcome = playlist::CurrentPlaylist::EndOutcome::kMovedOn;
  // Counted from the ends handed on: one may have come before this call.
  const std::vector<uint32_t> seen = queue_.Messages();
  const long endsBefore = std::count(seen.begin(), seen.begin() + long(std::min(handled_, seen.size())), audio::kMsgTrackEnded);
  for (int ended = 1; ended <= ends; ++ended) {
    if (!queue_.WaitFor(audio::kMsgTrackEnded, static_cast<int>(endsBefore) + ended)) {
      ADD_FAILURE() << "no end after " << ended - 1 << " tracks";
      break;
    }
    const std::vector<uint32_t> messages = queue_.Messages();
    for (; handled_ < messages.size(); ++handled_) {
      if (messages[handled_] == audio::kMsgPlaybackStarted) playlist_->trackStarted();
      if (messages[handled_] == audio::kMsgTrackEnded) {
        outcome = playlist_->trackEnded();
        ++handled_;
        break;
      }
    }
    if (outcome != playlist::CurrentPlaylist::EndOutcome::kMovedOn) break;
  }
  return outcome;
}

void PlaylistPlaybackTest::AddAt(const std::string& location, const char* title) {
  catalogue::AudioCueRecord record;
  std::memset(&record, 0, sizeof record);
  catalogue::CopyToSlot(record.location, location);
  catalogue::CopyToSlot(record.mp3_url_id, "999999");
  catalogue::CopyToSlot(record.title, title);
  playlist_->addTrack(record);
}

// Every entry failing in a row stops after one pass, each lookup at its own connect bound.
TEST_F(PlaylistPlaybackTest, EveryEntryFailingInARowStopsAfterOnePass) {
  testsupport::StalledListener silent;
  service_.baseUrl = silent.Url("");
  service_.httpOptions.lookupTimeoutMicros = 300'000;
  playlist_ = std::make_unique<playlist::CurrentPlaylist>(player_, service_, dir_ / "data.dat", host_);
  for (const char* location : {"http://127.0.0.1:1/none.mp3", "", "ftp://x/y.mp3"}) AddAt(location);
  playlist_->currentIndex = 1;
  const auto start = std::chrono::steady_clock::now();
  playlist_->playCurrent(false);
  EXPECT_EQ(Pump(10), playlist::CurrentPlaylist::EndOutcome::kStoppedAllFailed);
  EXPECT_EQ(queue_.Count(audio::kMsgTrackEnded), 3);
  EXPECT_EQ(queue_.Count(audio::kMsgPlaybackStarted), 0);
  EXPECT_EQ(player_.state(), audio::StreamPlayer::Stopped);
  EXPECT_EQ(playlist_->currentIndex, 0u);  // the last one tried
  EXPECT_LT(std::chrono::steady_clock::now() - start, 20s);

  // The user's next choice starts a new count: one more pass, then it stops again.
  playlist_->next(true);
  EXPECT_EQ(Pump(10), playlist::CurrentPlaylist::EndOutcome::kStoppedAllFailed);
  EXPECT_EQ(queue_.Count(audio::kMsgTrackEnded), 6);
}

// Failing entries beside one that plays are passed over, round after round.
TEST_F(PlaylistPlaybackTest, AFailingEntryIsPassedOverAndPlayingGoesOn) {
  AddAt("http://127.0.0.1:1/none.mp3");
  playlist_->addTrack(*FeaturedTrack());
  AddAt("");
  playlist_->playCurrent(false);
  EXPECT_EQ(Pump(9), playlist::CurrentPlaylist::EndOutcome::kMovedOn);
  EXPECT_EQ(queue_.Count(audio::kMsgPlaybackStarted), 3);
  EXPECT_EQ(playlist_->currentIndex, 0u);  // three times round
}

// Each entry joins on to the one fetched ahead: `next` on 12025 only moves the mark, nothing
// restarts; the third wraps around to the first.
TEST_F(PlaylistPlaybackTest, EntriesJoinOnWithoutStartingAgain) {
  audio::StreamPlayer player(std::make_unique<platform::NullPcmSink>(4.0));
  audiotest::RecordingTarget queue;
  player.setNotifyWindow(&queue);
  playlist::CurrentPlaylist playlist(player, service_, dir_ / "joined.dat", host_);
  playlist.addCueList(FeaturedCueList());
  ASSERT_EQ(playlist.count(), 3u);
  playlist.playCurrent(false);
  const char16_t* titles[] = {u"Dawn", u"Noon", u"Dusk", u"Dawn"};
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(queue.WaitFor(audio::kMsgPlaybackStarted, i + 1));
    EXPECT_EQ(player.trackInfo().title, titles[i]);
    if (i == 3) break;
    ASSERT_TRUE(queue.WaitFor(audio::kMsgTrackEnded, i + 1));
    playlist.next(true);
    EXPECT_EQ(playlist.currentIndex, std::uint32_t(i + 1) % 3);
    EXPECT_EQ(playlist.entryAt(playlist.currentIndex)->kind, 0u);
  }
  player.stop(1);
  EXPECT_EQ(queue.Count(audio::kMsgStoppedNoAdvance), 1);  // the stop above only
  EXPECT_EQ(queue.Count(audio::kMsgTrackEnded), 3);
  EXPECT_EQ(queue.Count(audio::kMsgPlayerTeardownDone), 4);
}

}  // namespace
