// Gapless listening in the real client: a sweep cut into four separately encoded tracks plays
// through in real time, and the recording is their decode end to end, sample for sample across
// each join, on loopback and behind a slow link (100 ms round trip, 4 Mbit/s).

#include <gtest/gtest.h>

#include <fstream>
#include <memory>

#include "playlist/PlaylistFile.h"
#include "server/CatalogueServer.h"
#include "tests/app/ProgramRun.h"
#include "tests/audio/AudioTestSupport.h"
#include "tests/server/TestLibrary.h"
#include "tests/support/Mp3Synth.h"
#include "tests/support/ThrottlingProxy.h"

namespace {

constexpr int kTrackCount = 4;
constexpr double kAlbumSeconds = 10.0;
constexpr int kSampleRate = 44100;
constexpr int kChannels = 2;
// Frames of the album's start looked for to find where it begins in the recording.
constexpr std::size_t kAlignFrames = 2000;

class GaplessRunTest : public apptest::ClientRunTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    const std::vector<int16_t> sweep = testsupport::SweepPcm(kAlbumSeconds, kSampleRate, kChannels);
    testsupport::Mp3EncodeOptions encode;
    encode.sampleRate = kSampleRate;
    encode.channels = kChannels;
    tracks_ = testsupport::EncodeConsecutiveTracks(sweep, kTrackCount, encode);
    ASSERT_EQ(tracks_.size(), std::size_t{kTrackCount});
    std::vector<std::string> entries;
    std::filesystem::create_directories(library_ / "tracks");
    for (int i = 0; i < kTrackCount; ++i) {
      const std::string name = "tracks/Part " + std::to_string(i + 1) + ".mp3";
      std::ofstream(library_ / name, std::ios::binary) << tracks_[i].bytes;
      entries.push_back("../" + name);
    }
    library_.AddPlaylist("featured/Sweep.m3u", entries);
    server::ServerOptions options;
    options.library = library_.Root();
    if (GetParam()) {
      proxy_ = std::make_unique<testsupport::ThrottlingProxy>(
          testsupport::ThrottlingProxy::Link{std::chrono::milliseconds(100), 4'000'000});
      options.publicUrl = proxy_->BaseUrl();  // the streams go through it too
    }
    ASSERT_TRUE(catalogue_.Start(options));
    if (proxy_) {
      ASSERT_TRUE(proxy_->Start(catalogue_.Port()));
    }
    serverUrl_ = proxy_ ? proxy_->BaseUrl() : catalogue_.BaseUrl();
    ASSERT_EQ(apptest::SaveFeaturedCueListAsPlaylist(serverUrl_, dir_ / "lookup-config",
                                                     dir_ / playlist::playlistfile::kFileName, u"Sweep"),
              std::size_t{kTrackCount});
  }

  std::vector<testsupport::EncodedMp3> tracks_;
  servertest::TestLibrary library_;
  server::CatalogueServer catalogue_;
  std::unique_ptr<testsupport::ThrottlingProxy> proxy_;
  std::string serverUrl_;
};

TEST_P(GaplessRunTest, FourTracksOfOneSweepPlayAsOne) {
  std::string script = std::string("waitfor message 15\n") + apptest::kPlayFirstEntry;
  for (int i = 0; i < kTrackCount; ++i) script += "waitfor message 12024 15000\n";
  for (int i = 0; i < kTrackCount; ++i) script += "waitfor message 12025 15000\n";
  script += "quit\n";
  const apptest::ProgramResult result =
      RunClient(script, {"--server", serverUrl_, "--audio", "wav-realtime:" + (dir_ / "heard.wav").string()}, {},
                std::chrono::seconds(90));
  ASSERT_EQ(result.exitCode, 0) << result.err << result.out;
  EXPECT_FALSE(std::filesystem::exists(dir_ / "heard-2.wav")) << "the device was opened in another format";

  // The continuous decode: each track's decode, its delay and padding trimmed, end to end.
  std::vector<int16_t> album;
  std::vector<std::size_t> joins;  // frame of each track's start in `album`
  for (const testsupport::EncodedMp3& track : tracks_) {
    joins.push_back(album.size() / kChannels);
    const std::vector<int16_t> decoded = testsupport::ReferenceDecode(track);
    album.insert(album.end(), decoded.begin(), decoded.end());
  }
  const std::vector<int16_t> heard = audiotest::WavFileSamples(dir_ / "heard.wav");
  ASSERT_GT(album.size(), kAlignFrames * kChannels);
  const auto albumStart = album.begin(), alignEnd = album.begin() + kAlignFrames * kChannels;
  std::size_t at = 0;
  while (at + album.size() <= heard.size() && !std::equal(albumStart, alignEnd, heard.begin() + at)) at += kChannels;
  ASSERT_LE(at + album.size(), heard.size()) << "the album's start is not in the " << heard.size() / kChannels
                                             << " frames recorded";
  std::size_t differing = 0, first = 0;
  for (std::size_t i = 0; i < album.size(); ++i) {
    if (heard[at + i] != album[i] && differing++ == 0) first = i / kChannels;
  }
  if (differing > 0) {
    const std::size_t track = std::upper_bound(joins.begin(), joins.end(), first) - joins.begin() - 1;
    ADD_FAILURE() << differing << " samples differ; the first at frame " << first << ", "
                  << first - joins[track] << " frames into track " << track + 1;
  }
}

INSTANTIATE_TEST_SUITE_P(Links, GaplessRunTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& link) {
                           return link.param ? "BehindSlowLink" : "Loopback";
                         });

}  // namespace
