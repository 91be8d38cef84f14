// The real client when its server goes away mid-playlist: the playing track ends, every other
// entry fails once, and playback stops with one message instead of cycling.

#include <gtest/gtest.h>

#include <thread>

#include "server/CatalogueServer.h"
#include "tests/app/ProgramRun.h"
#include "tests/server/TestLibrary.h"
#include "tests/support/WaitUntil.h"

namespace {

constexpr int kTracks = 6;

class ServerGoneRunTest : public apptest::ClientRunTest {
 protected:
  void SetUp() override {
    std::vector<std::string> entries;
    for (int i = 0; i < kTracks; ++i) {
      const std::string name = "T" + std::to_string(i);
      library_.AddTrack({"tracks/" + name + ".mp3", name, "The Hours", "Day", "Ambient", "", 1.5});
      entries.push_back("../tracks/" + name + ".mp3");
    }
    library_.AddPlaylist("featured/Six.m3u", entries, "2009-12-25");
    server::ServerOptions options;
    options.library = library_.Root();
    ASSERT_TRUE(catalogue_.Start(options));
    ASSERT_EQ(apptest::SaveFeaturedCueListAsPlaylist(catalogue_.BaseUrl(), dir_ / "lookup-config", dir_ / "data.dat",
                                                     u"Six"), std::size_t(kTracks));
  }

  servertest::TestLibrary library_;
  server::CatalogueServer catalogue_;
};

TEST_F(ServerGoneRunTest, PlaybackStopsAfterOnePassWithOneMessage) {
  // The first entry starts, then the server stops: that track plays out, the rest and the
  // first again fail, and the client idles for the script's last seconds.
  std::string script = std::string("waitfor message 15\n") + apptest::kPlayFirstEntry +
      "waitfor message 12024\n"
      "dump started.txt\n";
  for (int i = 0; i <= kTracks; ++i) script += "waitfor message 12025 10000\n";
  script +=
      "wait 4000\ndump stopped.txt\n"
      "quit\n";
  std::thread stopper([this] {
    if (testsupport::WaitUntil([this] { return std::filesystem::exists(dir_ / "started.txt"); },
                               std::chrono::seconds(30))) {
      catalogue_.Stop();
    }
  });
  const apptest::ProgramResult result =
      RunClient(script, {"--server", catalogue_.BaseUrl(), "--debug", "--audio", "null", "--cache-mb", "0"});
  stopper.join();
  ASSERT_EQ(result.exitCode, 0) << result.err << result.out;

  // Six failed starts (five entries and the first one again), then the one message.
  EXPECT_EQ(testsupport::CountOf(result.err, "failed to start ("), std::size_t(kTracks)) << result.err;
  EXPECT_EQ(testsupport::CountOf(result.out, "MessageBox: Playback Stopped: None of the tracks"), 1u) << result.out;
  // Nothing plays and the mini player is reset.
  const auto mini = DumpLines("stopped.txt", {"mini "});
  ASSERT_EQ(mini.size(), 1u);
  EXPECT_EQ(mini[0].find("The Hours"), std::string::npos) << mini[0];
  // Idle afterwards: the 4 s wait costs next to nothing (cycling failures kept a core busy).
  EXPECT_LT(result.cpuSeconds, 2.5) << "CPU seconds of the whole run";
}

}  // namespace
