// Listening in the real client, headless: a featured CueList of three short tracks in the
// Current Playlist, started from the item popup's "Play", played through to the end of the
// list into a WAV file, with the playlist, the mini player and the player screen read back
// as text along the way.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "audio/Mp3FrameHeader.h"
#include "platform/audio/wav/WavPcmSink.h"
#include "playlist/PlaylistFile.h"
#include "server/CatalogueServer.h"
#include "tests/app/ProgramRun.h"
#include "tests/audio/AudioTestSupport.h"
#include "tests/server/TestLibrary.h"
#include "tests/support/TempDir.h"

namespace {

constexpr const char* kTitles[3] = {"Dawn", "Noon", "Dusk"};
constexpr double kTrackSeconds = 3.0;


// The lines of a dump file that start with `prefix`.
std::vector<std::string> LinesStarting(const std::filesystem::path& file, const std::string& prefix) {
  std::vector<std::string> found;
  std::string text = testsupport::ReadFile(file), line;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    line = text.substr(at, end - at);
    if (line.rfind(prefix, 0) == 0) found.push_back(line);
    at = end + 1;
  }
  return found;
}

// The total time a "mini" or "player" line shows.
std::string TotalOf(const std::string& line) {
  if (line.rfind("mini ", 0) == 0) return line.substr(line.rfind(" | ") + 3);
  // "player <state> <elapsed> <total> | ..."
  const std::size_t bar = line.find(" |");
  const std::size_t space = line.rfind(' ', bar - 1);
  return line.substr(space + 1, bar - space - 1);
}

class ListeningRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : kTitles) {
      library_.AddTrack({std::string("tracks/") + name + ".mp3", name, "The Hours", "Day", "Ambient", "", kTrackSeconds});
    }
    library_.AddPlaylist("featured/A Day.m3u", {"../tracks/Dawn.mp3", "../tracks/Noon.mp3", "../tracks/Dusk.mp3"},
                         "2009-12-25");
    server::ServerOptions options;
    options.library = library_.Root();
    ASSERT_TRUE(catalogue_.Start(options));
    std::filesystem::create_directory(dir_ / "runtime");
    ::chmod((dir_ / "runtime").c_str(), 0700);
  }

  // The featured CueList's tracks, as "Replace Current Playlist" would leave them in the file.
  void WriteFeaturedPlaylist() {
    ASSERT_EQ(apptest::SaveFeaturedCueListAsPlaylist(catalogue_.BaseUrl(), dir_ / "lookup-config",
                                                     dir_ / playlist::playlistfile::kFileName, u"A Day"),
              3u);
  }

  apptest::ProgramResult RunClient(const std::string& script) {
    testsupport::WriteFile(dir_ / "script.txt", script);
    return apptest::RunProgram(VORNALO_PROGRAM,
                               {"--script", (dir_ / "script.txt").string(), "--server", catalogue_.BaseUrl(),
                                "--config-dir", (dir_ / "config").string(), "--data-dir", dir_.Path().string(),
                                "--audio", "wav:" + (dir_ / "out.wav").string()},
                               {{"XDG_RUNTIME_DIR", (dir_ / "runtime").string()}}, dir_.Path(),
                               std::chrono::seconds(60));
  }

  std::string Dump(const std::string& name) const { return "dump " + (dir_ / name).string() + "\n"; }

  servertest::TestLibrary library_;
  server::CatalogueServer catalogue_;
  testsupport::TempDir dir_;
};

// Where the track whose libmad decode is `reference` lies in `played` from `at` on: what the
// stream player's probe consumed of its start is missing (whole frames: up to the first 4096
// bytes of audio and the frames whose data reach back into them), the rest is there to the
// last sample (the first 0.1 s may differ while the decoder settles). Returns the index after
// it, or 0 when it is not there.
std::size_t MatchTrack(const std::vector<std::int16_t>& played, std::size_t at,
                       const audiotest::ReferenceDecode& reference) {
  const std::size_t frame = reference.samplesPerFrame * reference.channels;
  const std::size_t settle = reference.sampleRate * reference.channels / 10;
  const std::size_t probeSkip = reference.SamplesBefore(4096 + 511, 2);
  for (std::size_t skip = 0; skip <= probeSkip; skip += frame) {
    const std::size_t length = reference.samples.size() - skip;
    if (at + length > played.size()) continue;
    if (std::equal(played.begin() + at + settle, played.begin() + at + length,
                   reference.samples.begin() + skip + settle)) {
      return at + length;
    }
  }
  return 0;
}

TEST_F(ListeningRunTest, ThreeTracksPlayInOrderThroughTheClient) {
  WriteFeaturedPlaylist();
  // Portrait QVGA: with Featured selected the Current Playlist tab sits at x 184; the mini
  // player is (0, 232) - (240, 268).
  std::string script =
      "waitfor message 15\n"
      "tap 195 10\n"
      "waitfor text \"stack application playlist\"\n" +
      Dump("list.txt") +
      "key Enter\n"
      "waitfor text \"stack application playlist itempopup\"\n"
      "post 1928\n"
      "waitfor message 12024\n"
      "waitfor text \"mini The Hours - Dawn |\"\n" +
      Dump("mini1.txt") +
      "tap 120 250\n"
      "waitfor text \"| Dawn\"\n" +
      Dump("player1.txt") +
      "waitfor message 12024 10000\n"
      "waitfor text \"| Noon\"\n" +
      Dump("player2.txt") +
      "key Left\n"
      "waitfor text \"mini The Hours - Noon |\"\n" +
      Dump("mini2.txt") +
      "waitfor message 12024 10000\n"
      "waitfor text \"mini The Hours - Dusk |\"\n" +
      Dump("mini3.txt") +
      "tap 120 250\n"
      "waitfor text \"| Dusk\"\n" +
      Dump("player3.txt") +
      // The end of the third track wraps around to the first.
      "waitfor message 12025 10000\n"
      "waitfor message 12025 10000\n"
      "waitfor message 12025 10000\n"
      "waitfor message 12024 10000\n"
      "waitfor text \"| Dawn\"\n"
      "quit\n";
  const apptest::ProgramResult result = RunClient(script);
  ASSERT_EQ(result.exitCode, 0) << result.err << result.out;

  const std::vector<std::string> rows = LinesStarting(dir_ / "list.txt", "row ");
  EXPECT_EQ(rows, (std::vector<std::string>{"row 0 selected The Hours - Day | Dawn", "row 1 The Hours - Day | Noon",
                                            "row 2 The Hours - Day | Dusk"}));
  EXPECT_EQ(LinesStarting(dir_ / "list.txt", "page "), (std::vector<std::string>{"page Page 1 / 1 | 3 items"}));

  // Each title in turn on both displays, with the same total time.
  std::map<std::string, std::string> totals;
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(kTitles[i]);
    const auto mini = LinesStarting(dir_ / ("mini" + std::to_string(i + 1) + ".txt"), "mini ");
    const auto player = LinesStarting(dir_ / ("player" + std::to_string(i + 1) + ".txt"), "player ");
    ASSERT_EQ(mini.size(), 1u);
    ASSERT_EQ(player.size(), 1u);
    EXPECT_NE(mini[0].find("The Hours - " + std::string(kTitles[i]) + " |"), std::string::npos) << mini[0];
    EXPECT_EQ(player[0].rfind("player 1 ", 0), 0u) << player[0];
    EXPECT_NE(player[0].find("| The Hours - Day | " + std::string(kTitles[i])), std::string::npos) << player[0];
    EXPECT_EQ(TotalOf(mini[0]), TotalOf(player[0])) << mini[0] << " / " << player[0];
    EXPECT_NE(TotalOf(player[0]), "0:00");
  }
  // The playing entry is marked in the list while it plays.
  const auto playingRows = LinesStarting(dir_ / "mini3.txt", "row 2");
  ASSERT_EQ(playingRows.size(), 1u);
  EXPECT_NE(playingRows[0].find("current"), std::string::npos) << playingRows[0];

  // The recording: the three tracks' PCM in order, then the start of the first again.
  const std::string wav = testsupport::ReadFile(dir_ / "out.wav");
  ASSERT_GT(wav.size(), platform::WavPcmSink::kHeaderBytes);
  const auto played = audiotest::SamplesFromBytes(wav.data() + platform::WavPcmSink::kHeaderBytes,
                                                  wav.size() - platform::WavPcmSink::kHeaderBytes);
  std::size_t at = 0;
  for (const char* name : kTitles) {
    SCOPED_TRACE(name);
    std::string mp3 = testsupport::ReadFile(library_ / (std::string("tracks/") + name + ".mp3"));
    const auto tag = audio::Mp3FrameHeader::id3v2TagLength(reinterpret_cast<const std::uint8_t*>(mp3.data()));
    const auto reference = audiotest::DecodeWithLibmad(mp3.substr(tag), true);
    const std::size_t end = MatchTrack(played, at, reference);
    ASSERT_NE(end, 0u) << "track not found at sample " << at << " of " << played.size();
    at = end;
  }
  // Quit came as the first track began again: at most its prebuffered start follows.
  EXPECT_LT(played.size() - at, std::size_t{22050});

  // The playlist file after exit: the three records, in order.
  const auto saved = playlist::playlistfile::Load(dir_ / playlist::playlistfile::kFileName);
  ASSERT_TRUE(saved.has_value());
  EXPECT_EQ(saved->title, u"A Day");
  ASSERT_EQ(saved->records.size(), 3u);
  for (int i = 0; i < 3; ++i) EXPECT_STREQ(saved->records[i]->title, kTitles[i]);
}

}  // namespace
