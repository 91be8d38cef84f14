#include "playlist/CurrentPlaylist.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "audio/StreamPlayer.h"
#include "core/AppSettings.h"
#include "platform/audio/null/NullPcmSink.h"
#include "tests/playlist/RecordingPlaylistHost.h"
#include "tests/support/TempDir.h"

namespace {

catalogue::AudioCueRecord Track(const std::string& title) {
  catalogue::AudioCueRecord record;
  std::memset(&record, 0, sizeof record);
  catalogue::CopyToSlot(record.title, title);
  catalogue::CopyToSlot(record.mp3_url_id, "id-" + title);
  return record;  // no location: nothing is ever streamed
}

int ZeroId(std::uint8_t*, std::size_t*) { return -1; }

// Over a real player and sink; the catalogue address refuses, so every start is refused.
class CurrentPlaylistTest : public ::testing::Test {
 protected:
  CurrentPlaylistTest()
      : store_(dir_ / "config"),
        settings_(store_, ZeroId),
        player_(std::make_unique<platform::NullPcmSink>(0.0)),
        playlist_(player_, audio::StreamUrlService{"http://127.0.0.1:1", core::RequestIdentity::From(settings_), {}},
                  dir_ / "data.dat", host_) {}

  void Fill(int n) {
    for (int i = 0; i < n; ++i) playlist_.addTrack(Track("t" + std::to_string(i)));
  }
  std::string TitleAt(std::uint32_t i) const { return playlist_.entryAt(i)->record->title; }
  // Index of the entry marked current (kind 0), or -1.
  int Marked() const {
    int marked = -1;
    for (std::uint32_t i = 0; i < playlist_.count(); ++i) {
      if (playlist_.entryAt(i)->kind == 0) {
        EXPECT_EQ(marked, -1) << "two entries marked";
        marked = static_cast<int>(i);
      }
    }
    return marked;
  }

  testsupport::TempDir dir_;
  platform::RegistryStore store_;
  core::AppSettings settings_;
  audio::StreamPlayer player_;
  RecordingPlaylistHost host_;
  playlist::CurrentPlaylist playlist_;
};

TEST_F(CurrentPlaylistTest, FirstAddNamesThePlaylistAndOnlyAudioCuesAreTaken) {
  EXPECT_TRUE(playlist_.title.empty());
  // Any add onto an empty playlist names it and saves, also one of an item not taken.
  auto cueList = std::make_unique<catalogue::CueListRecord>();
  std::memset(cueList.get(), 0, sizeof *cueList);
  catalogue::ItemRef cueListItem(std::move(cueList));
  playlist_.addTrack(cueListItem);
  EXPECT_EQ(playlist_.count(), 0u);
  EXPECT_EQ(playlist_.title, u"(Custom Playlist)");
  EXPECT_TRUE(std::filesystem::exists(dir_ / "data.dat"));
  playlist_.title.clear();
  playlist_.addTrack(Track("a"));
  EXPECT_EQ(playlist_.title, u"(Custom Playlist)");
  playlist_.title = u"Mine";
  playlist_.addTrack(Track("b"));
  EXPECT_EQ(playlist_.title, u"Mine");  // only the first add names it

  playlist_.addTrack(cueListItem);
  EXPECT_EQ(playlist_.count(), 2u);
  EXPECT_EQ(playlist_.title, u"Mine");

  // The playlist keeps its own copy: the search list's record may go away.
  auto record = std::make_unique<catalogue::AudioCueRecord>(Track("c"));
  catalogue::ItemRef item(std::move(record));
  playlist_.addTrack(item);
  std::memset(item.audioCue(), 'x', sizeof(catalogue::AudioCueRecord));
  EXPECT_EQ(TitleAt(2), "c");
}

// Empty: moving does nothing; next wraps, previous stops at the first, each moving the one marker.
TEST_F(CurrentPlaylistTest, MovingOnMarksTheEntryPlayed) {
  playlist_.next(true);
  playlist_.previous(true);
  playlist_.playSelected();
  playlist_.playCurrent(true);
  EXPECT_EQ(host_.events, "");
  EXPECT_EQ(player_.state(), audio::StreamPlayer::Stopped);

  Fill(4);
  playlist_.currentIndex = 3;
  playlist_.next(true);
  EXPECT_EQ(playlist_.currentIndex, 0u);
  EXPECT_EQ(Marked(), 0);
  playlist_.previous(true);
  EXPECT_EQ(playlist_.currentIndex, 0u);
  EXPECT_EQ(Marked(), 0);
  playlist_.selectedIndex = 3;
  playlist_.playSelected();
  EXPECT_EQ(playlist_.currentIndex, 3u);
  EXPECT_EQ(Marked(), 3);
  // Every start shows the wait cursor, posts 1726 and redraws.
  host_.events.clear();
  playlist_.previous(true);
  EXPECT_EQ(host_.events, "WPR");
  EXPECT_EQ(Marked(), 2);
}

TEST_F(CurrentPlaylistTest, RemovingShiftsOrResetsTheCurrentEntry) {
  Fill(5);
  playlist_.currentIndex = 3;
  playlist_.selectedIndex = 1;  // before the current entry
  EXPECT_FALSE(playlist_.removeSelected());
  EXPECT_EQ(playlist_.currentIndex, 2u);
  EXPECT_EQ(TitleAt(2), "t3");

  playlist_.selectedIndex = 2;  // the current entry itself
  EXPECT_TRUE(playlist_.removeSelected());
  EXPECT_EQ(playlist_.currentIndex, 0u);
  EXPECT_EQ(playlist_.count(), 3u);

  playlist_.selectedIndex = 2;  // after it: nothing moves
  playlist_.currentIndex = 1;
  EXPECT_FALSE(playlist_.removeSelected());
  EXPECT_EQ(playlist_.currentIndex, 1u);
}

TEST_F(CurrentPlaylistTest, RemovingTheLastEntryOfAPageShowsThePreviousPage) {
  Fill(5);  // four rows a page: the fifth entry is alone on page 1
  playlist_.topIndex = 4;
  playlist_.pageNumber = 1;
  playlist_.selectedIndex = 4;
  playlist_.removeSelected();
  EXPECT_EQ(playlist_.selectedIndex, 3);
  EXPECT_EQ(playlist_.topIndex, 0);
  EXPECT_EQ(playlist_.pageNumber, 0);

  playlist_.selectedIndex = 3;  // last entry, same page: the page stays
  playlist_.removeSelected();
  EXPECT_EQ(playlist_.selectedIndex, 2);
  EXPECT_EQ(playlist_.pageNumber, 0);
}

TEST_F(CurrentPlaylistTest, RemovingTheOnlyEntryEmptiesTitleAndFile) {
  Fill(1);
  EXPECT_GT(std::filesystem::file_size(dir_ / "data.dat"), 0u);
  playlist_.selectedIndex = 0;
  EXPECT_TRUE(playlist_.removeSelected());
  EXPECT_TRUE(playlist_.title.empty());
  EXPECT_EQ(std::filesystem::file_size(dir_ / "data.dat"), 0u);
  EXPECT_FALSE(playlist_.removeSelected());  // empty: nothing to do
}

TEST_F(CurrentPlaylistTest, EveryChangeIsSavedAndLoadsBack) {
  Fill(3);
  playlist_.title = u"Evening";
  playlist_.selectedIndex = 0;
  playlist_.removeSelected();  // saves with the new title

  RecordingPlaylistHost otherHost;
  playlist::CurrentPlaylist reloaded(player_, audio::StreamUrlService{"http://127.0.0.1:1", core::RequestIdentity::From(settings_), {}},
                           dir_ / "data.dat", otherHost);
  reloaded.load();
  EXPECT_EQ(reloaded.title, u"Evening");
  ASSERT_EQ(reloaded.count(), 2u);
  EXPECT_STREQ(reloaded.entryAt(0)->record->title, "t1");
  EXPECT_EQ(reloaded.entryAt(0)->kind, 1u);  // the marker is not stored

  playlist_.clear();
  EXPECT_EQ(playlist_.count(), 0u);
  EXPECT_TRUE(playlist_.title.empty());
  EXPECT_NE(host_.events.find('Z'), std::string::npos);
  EXPECT_EQ(std::filesystem::file_size(dir_ / "data.dat"), 0u);
}

TEST_F(CurrentPlaylistTest, NothingIsSavedBeforeTheScreenIsLaidOut) {
  host_.laidOut = false;
  Fill(2);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "data.dat"));
  host_.laidOut = true;
  playlist_.save();
  EXPECT_EQ(std::filesystem::file_size(dir_ / "data.dat"), 255u + 2 * 4096u);
}

TEST_F(CurrentPlaylistTest, AnUnwritableFileKeepsThePlaylistInMemory) {
  RecordingPlaylistHost otherHost;
  playlist::CurrentPlaylist stuck(player_, audio::StreamUrlService{"http://127.0.0.1:1", core::RequestIdentity::From(settings_), {}},
                        dir_ / "no-such-folder" / "data.dat", otherHost);
  stuck.addTrack(Track("kept"));
  stuck.addTrack(Track("also"));
  EXPECT_EQ(stuck.count(), 2u);
  EXPECT_STREQ(stuck.entryAt(1)->record->title, "also");
  EXPECT_EQ(otherHost.events, "");  // nothing shown to the user
}

}  // namespace
