// Listening in the real client: a featured CueList of three tracks played through from the item
// popup into a WAV file, with the playlist, mini player and player screen read back as text.

#include <gtest/gtest.h>

#include "playlist/PlaylistFile.h"
#include "server/CatalogueServer.h"
#include "tests/app/ProgramRun.h"
#include "tests/audio/AudioTestSupport.h"
#include "tests/server/TestLibrary.h"

namespace {

constexpr const char* kTitles[3] = {"Dawn", "Noon", "Dusk"};
constexpr double kTrackSeconds = 3.0;

// The total time a "mini" or "player" line shows.
std::string TotalOf(const std::string& line) {
  if (line.rfind("mini ", 0) == 0) return line.substr(line.rfind(" | ") + 3);
  // "player <state> <elapsed> <total> | ..."
  const std::size_t bar = line.find(" |");
  const std::size_t space = line.rfind(' ', bar - 1);
  return line.substr(space + 1, bar - space - 1);
}

class ListeningRunTest : public apptest::ClientRunTest {
 protected:
  void SetUp() override {
    // LAME VBR with its Info header, CBR behind a 600 KB cover, and an MPEG-2.5 rate.
    const demo::Mp3Format formats[3] = {{44100, 2, 128, 2}, {44100, 2, 128, -1}, {12000, 2, 32, -1}};
    for (int i = 0; i < 3; ++i) {
      servertest::TrackSpec track{std::string("tracks/") + kTitles[i] + ".mp3", kTitles[i], "The Hours", "Day",
                                 "Ambient", "", kTrackSeconds};
      track.format = formats[i];
      track.pictureBytes = i == 1 ? 600 * 1024 : 0;
      library_.AddTrack(track);
    }
    library_.AddPlaylist("featured/A Day.m3u", {"../tracks/Dawn.mp3", "../tracks/Noon.mp3", "../tracks/Dusk.mp3"},
                         "2009-12-25");
    server::ServerOptions options;
    options.library = library_.Root();
    ASSERT_TRUE(catalogue_.Start(options));
  }

  // The featured CueList's tracks, as "Replace Current Playlist" would leave them in the file.
  void WriteFeaturedPlaylist() {
    ASSERT_EQ(apptest::SaveFeaturedCueListAsPlaylist(catalogue_.BaseUrl(), dir_ / "lookup-config",
                                                     dir_ / playlist::playlistfile::kFileName, u"A Day"), 3u);
  }

  servertest::TestLibrary library_;
  server::CatalogueServer catalogue_;
};

TEST_F(ListeningRunTest, ThreeTracksPlayInOrderThroughTheClient) {
  WriteFeaturedPlaylist();
  // Portrait QVGA: the Current Playlist tab at x 184, the mini player at (0, 232) - (240, 268).
  const std::string script =
      "waitfor message 15\n"
      "tap 195 10\n"
      "waitfor text \"stack application playlist\"\ndump list.txt\n"
      "key Enter\n"
      "waitfor text \"stack application playlist itempopup\"\n"
      "post 1928\n"
      "waitfor message 12024\n"
      "waitfor text \"mini The Hours - Dawn |\"\ndump mini1.txt\n"
      "tap 120 250\n"
      "waitfor text \"| Dawn\"\ndump player1.txt\n"
      "waitfor message 12024 10000\n"
      "waitfor text \"| Noon\"\ndump player2.txt\n"
      "key Left\n"
      "waitfor text \"mini The Hours - Noon |\"\ndump mini2.txt\n"
      "waitfor message 12024 10000\n"
      "waitfor text \"mini The Hours - Dusk |\"\ndump mini3.txt\n"
      "tap 120 250\n"
      "waitfor text \"| Dusk\"\ndump player3.txt\n"
      // The end of the third track wraps around to the first.
      "waitfor message 12025 10000\n"
      "waitfor message 12025 10000\n"
      "waitfor message 12025 10000\n"
      "waitfor message 12024 10000\n"
      "waitfor text \"| Dawn\"\n"
      "quit\n";
  const apptest::ProgramResult result =
      RunClient(script, {"--server", catalogue_.BaseUrl(), "--audio", "wav:" + (dir_ / "out.wav").string()});
  ASSERT_EQ(result.exitCode, 0) << result.err << result.out;

  const std::vector<std::string> rows = DumpLines("list.txt", {"row "});
  EXPECT_EQ(rows, (std::vector<std::string>{"row 0 selected The Hours - Day | Dawn", "row 1 The Hours - Day | Noon",
                                            "row 2 The Hours - Day | Dusk"}));

  // Each title in turn on both displays, with the same total time.
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(kTitles[i]);
    const auto mini = DumpLines("mini" + std::to_string(i + 1) + ".txt", {"mini "});
    const auto player = DumpLines("player" + std::to_string(i + 1) + ".txt", {"player "});
    ASSERT_EQ(mini.size(), 1u);
    ASSERT_EQ(player.size(), 1u);
    EXPECT_NE(mini[0].find("The Hours - " + std::string(kTitles[i]) + " |"), std::string::npos) << mini[0];
    EXPECT_EQ(player[0].rfind("player 1 ", 0), 0u) << player[0];
    EXPECT_NE(player[0].find("| The Hours - Day | " + std::string(kTitles[i])), std::string::npos) << player[0];
    EXPECT_EQ(TotalOf(mini[0]), TotalOf(player[0])) << mini[0] << " / " << player[0];
    // The true length (the tracks are 3.0 s), not the content length over the bitrate.
    EXPECT_EQ(TotalOf(player[0]), "0:03");
  }
  // The playing entry is marked in the list while it plays.
  const auto playingRows = DumpLines("mini3.txt", {"row 2"});
  ASSERT_EQ(playingRows.size(), 1u);
  EXPECT_NE(playingRows[0].find("current"), std::string::npos) << playingRows[0];

  // The recording: the three tracks, a new file at each rate change (MPEG-2.5 at 12 kHz), then
  // the first track's start again.
  const struct {
    const char* file;
    std::vector<int> tracks;
    std::uint32_t sampleRate;
  } files[] = {{"out.wav", {0, 1}, 44100}, {"out-2.wav", {2}, 12000}, {"out-3.wav", {}, 44100}};
  for (const auto& recorded : files) {
    SCOPED_TRACE(recorded.file);
    const std::string header = testsupport::ReadFile(dir_ / recorded.file).substr(0, 28);
    ASSERT_EQ(header.size(), 28u);
    EXPECT_EQ(std::uint32_t(std::uint8_t(header[24]) | std::uint8_t(header[25]) << 8 | std::uint8_t(header[26]) << 16),
              recorded.sampleRate);
    const auto played = audiotest::WavFileSamples(dir_ / recorded.file);
    std::size_t at = 0;
    for (int track : recorded.tracks) {
      SCOPED_TRACE(kTitles[track]);
      const auto reference = audiotest::DecodeMp3File(library_ / (std::string("tracks/") + kTitles[track] + ".mp3"));
      const std::size_t end = audiotest::MatchPlayedTrack(played, at, reference);
      ASSERT_NE(end, 0u) << "track not found at sample " << at << " of " << played.size();
      at = end;
    }
    // Nothing more; quit came as the first track began again: at most its prebuffered start.
    EXPECT_LT(played.size() - at, std::size_t{22050});
  }

  // The playlist file after exit: the three records, in order.
  const auto saved = playlist::playlistfile::Load(dir_ / playlist::playlistfile::kFileName);
  ASSERT_TRUE(saved.has_value());
  EXPECT_EQ(saved->title, u"A Day");
  ASSERT_EQ(saved->records.size(), 3u);
  for (int i = 0; i < 3; ++i) EXPECT_STREQ(saved->records[i]->title, kTitles[i]);
}

}  // namespace
