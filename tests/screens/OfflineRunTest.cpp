// The real client listening while its server comes and goes: the cache replays what played,
// a cut-off download keeps what came, and the rest arrives by Range once the server is back.

#include <gtest/gtest.h>

#include <thread>

#include "playlist/PlaylistFile.h"
#include "server/CatalogueServer.h"
#include "tests/app/ProgramRun.h"
#include "tests/audio/AudioTestSupport.h"
#include "tests/server/TestLibrary.h"
#include "tests/support/Mp3Synth.h"
#include "tests/support/ThrottlingProxy.h"
#include "tests/support/WaitUntil.h"

namespace {

using namespace std::chrono_literals;

class OfflineRunTest : public apptest::ClientRunTest {
 protected:
  void StartServer(std::uint16_t port = 0) {
    server::ServerOptions options;
    options.library = library_.Root();
    options.port = port;
    options.publicUrl = publicUrl_;
    ASSERT_TRUE(catalogue_.Start(options));
  }
  void SavePlaylist(std::size_t tracks) {
    ASSERT_EQ(apptest::SaveFeaturedCueListAsPlaylist(catalogue_.BaseUrl(), dir_ / "lookup-config", dir_ / "data.dat",
                                                     u"Offline"), tracks);
  }
  // Runs `script` while `whenFile` files appear: for each, `action` in turn.
  apptest::ProgramResult RunWith(const std::string& script, const std::vector<std::string>& args,
                                 std::vector<std::pair<std::string, std::function<void()>>> steps) {
    std::thread watcher([&] {
      for (auto& [file, action] : steps) {
        if (!testsupport::WaitUntil([&] { return std::filesystem::exists(dir_ / file); }, 60s)) return;
        action();
      }
    });
    apptest::ProgramResult result = RunClient(script, args, {}, 120s);
    watcher.join();
    return result;
  }

  servertest::TestLibrary library_;
  server::CatalogueServer catalogue_;
  std::string publicUrl_;
};

// Played online, then again from the cache with the server gone: the same recording.
TEST_F(OfflineRunTest, APlaylistPlayedOnlinePlaysAgainOfflineIdentically) {
  library_.AddDayAlbum(1.5);
  StartServer();
  SavePlaylist(3);
  const std::string serverUrl = catalogue_.BaseUrl();
  // Three tracks to their end; the fourth start (the first again) ends the script.
  auto script = [](const char* ready) {
    return std::string("waitfor message 15\n") + "dump " + ready + "\nwait 300\n" + apptest::kPlayFirstEntry +
           "waitfor message 12024 10000\nwaitfor message 12024 10000\nwaitfor message 12024 10000\n"
           "waitfor message 12024 10000\nwait 2500\nquit\n";
  };
  const apptest::ProgramResult online =
      RunWith(script("online.txt"), {"--server", serverUrl, "--debug", "--audio", "wav:" + (dir_ / "online.wav").string()}, {});
  ASSERT_EQ(online.exitCode, 0) << online.err << online.out;

  const apptest::ProgramResult offline =
      RunWith(script("offline.txt"), {"--server", serverUrl, "--debug", "--audio", "wav:" + (dir_ / "offline.wav").string()},
              {{"offline.txt", [this] { catalogue_.Stop(); }}});
  ASSERT_EQ(offline.exitCode, 0) << offline.err << offline.out;
  EXPECT_GE(testsupport::CountOf(offline.err, "track cache: complete"), 3u) << offline.err;
  EXPECT_EQ(testsupport::CountOf(offline.err, "stream URL lookup"), testsupport::CountOf(offline.err, "track cache: complete"))
      << "the catalogue was asked for every track";
  EXPECT_EQ(testsupport::CountOf(offline.err, "failed to start ("), 0u) << offline.err;

  const auto a = audiotest::WavFileSamples(dir_ / "online.wav");
  const auto b = audiotest::WavFileSamples(dir_ / "offline.wav");
  // Both hold the three tracks (less some delay and padding) and some of the first again; the
  // three tracks' part is the same sample for sample.
  std::size_t decoded = 0;
  for (const char* name : {"Dawn", "Noon", "Dusk"}) {
    decoded += audiotest::DecodeMp3File(library_ / (std::string("tracks/") + name + ".mp3")).samples.size();
  }
  const std::size_t threeTracks = decoded * 95 / 100;
  ASSERT_GE(a.size(), threeTracks);
  ASSERT_GE(b.size(), threeTracks);
  EXPECT_TRUE(std::equal(a.begin(), a.begin() + threeTracks, b.begin()));
}

// A long track cut off by the server's going plays what came and the playlist goes on from the
// cache; with the server back the failed entry plays and the long track's rest comes by Range.
TEST_F(OfflineRunTest, AHalfPlayedTrackPlaysItsCachedPartAndTheServerComingBackCompletesIt) {
  // 10 s at 320 kbit/s (untagged: the file's name is its title), and two short tagged tracks.
  library_.AddTrack({"tracks/Short.mp3", "Short", "The Hours", "Day", "Ambient", "", 1.5});
  library_.AddTrack({"tracks/Other.mp3", "Other", "The Hours", "Day", "Ambient", "", 1.5});
  testsupport::WriteFile(library_ / "tracks/Long.mp3", testsupport::SynthesizeMp3(10.0, 44100, 2, 320));
  library_.AddPlaylist("featured/Three.m3u", {"../tracks/Long.mp3", "../tracks/Short.mp3", "../tracks/Other.mp3"},
                       "2009-12-25");
  // At 800 kbit/s the download is only seconds ahead, so most of the track is still to come.
  const testsupport::ThrottlingProxy::Link link{10ms, 800'000};
  auto proxy = std::make_unique<testsupport::ThrottlingProxy>(link);
  publicUrl_ = proxy->BaseUrl();
  StartServer();
  ASSERT_TRUE(proxy->Start(catalogue_.Port()));
  SavePlaylist(3);
  if (HasFatalFailure()) return;
  const std::string serverUrl = catalogue_.BaseUrl();
  const std::uint16_t port = catalogue_.Port();
  const std::string script = std::string("waitfor message 15\n") + apptest::kPlayFirstEntry +
                             "waitfor message 12024 10000\ndump started.txt\n"
                             // Long ends early, its rest missing.
                             "waitfor message 12025 30000\ndump cut.txt\n"
                             // Short (fetched ahead) plays from the cache; Other once the server is back.
                             "waitfor text \"mini The Hours - Other |\" 60000\n"
                             // Then Long again, to its end: three more ends (Short, Other, Long).
                             "waitfor message 12025 30000\n"
                             "waitfor message 12025 30000\n"
                             "waitfor message 12025 30000\n"
                             "quit\n";
  const apptest::ProgramResult result = RunWith(script, {"--server", serverUrl, "--debug", "--audio", "null"},
      {{"started.txt",
        [&] {
          std::this_thread::sleep_for(300ms);
          catalogue_.Stop();
          proxy.reset();  // its port refuses from now on
        }},
       {"cut.txt", [&] {
          std::this_thread::sleep_for(500ms);
          proxy = std::make_unique<testsupport::ThrottlingProxy>(link);
          publicUrl_ = proxy->BaseUrl();
          StartServer(port);
          proxy->Start(port);
        }}});
  ASSERT_EQ(result.exitCode, 0) << result.err << result.out;
  EXPECT_NE(result.err.find("stream dropped at"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("track cache: partial"), std::string::npos) << result.err;
  EXPECT_EQ(result.out.find("Playback Stopped"), std::string::npos) << result.out;

  // The cache holds Long whole: a continuation only by Range, never a fresh download over it.
  bool whole = false;
  for (const auto& item : std::filesystem::directory_iterator(dir_ / "cache" / "vornalo" / "tracks")) {
    if (item.path().extension() == ".data" &&
        testsupport::ReadFile(item.path()) == testsupport::ReadFile(library_ / "tracks/Long.mp3")) {
      whole = true;
    }
  }
  EXPECT_TRUE(whole) << result.err;
}

}  // namespace
