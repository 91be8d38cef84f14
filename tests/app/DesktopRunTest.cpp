// The client on the desktop, headless: calls set from outside (`--set-call-count`), the idle
// sleep, and playerctl over a session bus; the script dumps before each outside action.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <sdbus-c++/sdbus-c++.h>
#include <cmath>
#include <cstdlib>
#include <thread>

#include "playlist/PlaylistFile.h"
#include "server/CatalogueServer.h"
#include "tests/app/ProgramRun.h"
#include "tests/audio/AudioTestSupport.h"
#include "tests/server/TestLibrary.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"

namespace {

constexpr double kTrackSeconds = 20.5;  // shown as 0:20; its length to the microsecond is 20.5 s
constexpr const char* kIdleOff = "idle sleep: kept off while playing";
constexpr const char* kIdleAllowed = "idle sleep: allowed";
constexpr const char* kPlayerctl = "/usr/bin/playerctl";


// The last line of a complete player-tab dump, "player ..."; empty until then.
std::string PlayerLine(const std::filesystem::path& file) {
  const std::string text = testsupport::ReadFile(file);
  const std::size_t at = text.find("\nplayer ");
  if (at == std::string::npos) return "";
  const std::size_t end = text.find('\n', at + 1);
  return end == std::string::npos ? "" : text.substr(at + 1, end - at - 1);
}

// "player <state> ..." → the state.
int StateOf(const std::string& line) { return line.size() > 7 ? line[7] - '0' : -1; }

class DesktopRunTest : public apptest::ClientRunTest {
 protected:
  void SetUp() override {
    library_.AddTrack({"tracks/Long.mp3", "Long", "The Calls", "Ring", "Ambient", "", kTrackSeconds});
    library_.AddTrack({"tracks/Second.mp3", "Second", "The Calls", "Ring", "Ambient", "", kTrackSeconds});
    library_.AddPlaylist("featured/Ring.m3u", {"../tracks/Long.mp3", "../tracks/Second.mp3"});
    server::ServerOptions options;
    options.library = library_.Root();
    ASSERT_TRUE(catalogue_.Start(options));
    std::filesystem::create_directory(dir_ / "tools");
    WritePlaylist();
  }

  // The featured CueList's two tracks as the Current Playlist file.
  void WritePlaylist() {
    ASSERT_EQ(apptest::SaveFeaturedCueListAsPlaylist(catalogue_.BaseUrl(), dir_ / "lookup-config",
                                                     dir_ / playlist::playlistfile::kFileName, u"Ring"),
              2u);
  }

  std::filesystem::path DumpPath(int step) const { return dir_ / ("step" + std::to_string(step) + ".txt"); }
  std::string Dump(int step) const { return "dump step" + std::to_string(step) + ".txt\n"; }

  // Changes the call count from outside, as another process.
  void SetCallCount(int count) {
    const apptest::ProgramResult result =
        apptest::RunProgram(VORNALO_PROGRAM, {"--set-call-count", std::to_string(count), "--config-dir",
                             (dir_ / "config").string()},
                            {}, dir_ / "tools");
    ASSERT_EQ(result.exitCode, 0) << result.err;
  }

  // Starts the client on the script on another thread; Join waits for its end.
  void StartClient(const std::string& script) {
    client_ = std::thread([this, script] {
      result_ = RunClient(script, {"--server", catalogue_.BaseUrl(), "--debug", "--audio",
                                   "wav:" + (dir_ / "out.wav").string()},
                          {}, std::chrono::seconds(90));
    });
  }
  const apptest::ProgramResult& Join() {
    if (client_.joinable()) client_.join();
    return result_;
  }
  void TearDown() override { Join(); }
  // Waits for the script's dump of the step; false (with the client's log) when none comes.
  bool WaitForDump(int step) {
    if (testsupport::WaitUntil([&] { return !PlayerLine(DumpPath(step)).empty(); }, std::chrono::seconds(30))) {
      return true;
    }
    ADD_FAILURE() << "no dump " << step << "\n" << ClientLog();
    return false;
  }

  // The script's lines that play the Current Playlist's first track and show the player.
  static std::string PlayFirstTrack() {
    return std::string(apptest::kPlayFirstEntry) +
           "waitfor message 12024\n"
           "post 1124 0 3\n"
           "waitfor text \"player 1 \"\n";
  }

  // What the client wrote to stderr so far.
  std::string ClientLog() const {
    for (const auto& entry : std::filesystem::directory_iterator(dir_.Path())) {
      if (entry.path().extension() == ".err") return testsupport::ReadFile(entry.path());
    }
    return "";
  }
  bool WaitForLog(const std::string& line) const {
    return testsupport::WaitUntil([&] { return ClientLog().find(line) != std::string::npos; }, std::chrono::seconds(15));
  }

  servertest::TestLibrary library_;
  server::CatalogueServer catalogue_;
  std::thread client_;
  apptest::ProgramResult result_;
};

// No call while stopped, then the four ways a call meets a playing track; the idle sleep is
// kept off while playing, and the recording has no gap or repeat across the pauses.
TEST_F(DesktopRunTest, CallsPauseAndResumeOnlyWhatTheyPaused) {
  struct Step {
    std::string before;  // the script's lines before its dump
    int count;           // the call count the test then sets (-1: none)
    int state;           // the player state the dump shows
  };
  const std::vector<Step> steps = {
      {"post 1124 0 3\nwaitfor text \"stack application player\"\n", 1, 0}, {"", 0, 0}, {"", -1, 0},
      {PlayFirstTrack(), 1, 1}, {"", 0, 2}, {"", -1, 1},                        // the call pauses and resumes
      {"key Enter\n", 1, 2}, {"", 0, 2}, {"", -1, 2},                          // paused by the user
      {"key Enter\n", 1, 1}, {"", -1, 2}, {"key Enter\n", 0, 1}, {"", -1, 1},  // played during the call
      {"", 1, 1}, {"", -1, 2}, {"key Enter\nkey Enter\n", 2, 2}, {"", 0, 2}, {"", -1, 2}};
  std::string script = "waitfor message 15\n";
  for (std::size_t i = 0; i < steps.size(); ++i) {
    if (i > 0 && steps[i - 1].count >= 0) script += "waitfor message 1933 15000\n";
    script += steps[i].before + Dump(static_cast<int>(i));
  }
  StartClient(script + "quit\n");
  for (std::size_t i = 0; i < steps.size(); ++i) {
    SCOPED_TRACE("step " + std::to_string(i));
    if (!WaitForDump(static_cast<int>(i))) break;
    EXPECT_TRUE(i != 2 || ClientLog().find("idle sleep") == std::string::npos);
    EXPECT_TRUE(i != 3 || WaitForLog(kIdleOff));
    EXPECT_TRUE(i != 4 || WaitForLog(kIdleAllowed));
    if (steps[i].count >= 0) SetCallCount(steps[i].count);
  }
  const apptest::ProgramResult& result = Join();
  ASSERT_EQ(result.exitCode, 0) << result.err;
  for (std::size_t i = 0; i < steps.size(); ++i) {
    EXPECT_EQ(StateOf(PlayerLine(DumpPath(static_cast<int>(i)))), steps[i].state) << "step " << i;
  }

  // The recording is the track from its start, without a gap or a repeat at any pause.
  const auto played = audiotest::WavFileSamples(dir_ / "out.wav");
  EXPECT_NE(audiotest::MatchPlayedTrack(played, 0, audiotest::DecodeMp3File(library_ / "tracks/Long.mp3"), true), 0u)
      << played.size() << " samples played do not continue the track";
}

// PropertiesChanged (PlaybackStatus, Metadata title, CanSeek) and Seeked announcements, in order.
class ChangeListener {
 public:
  ChangeListener()
      : proxy_(sdbus::createProxy(sdbus::createSessionBusConnection(), "org.mpris.MediaPlayer2.vornalo",
                                  "/org/mpris/MediaPlayer2")) {
    proxy_->uponSignal("PropertiesChanged")
        .onInterface("org.freedesktop.DBus.Properties")
        .call([this](const std::string&, const std::map<std::string, sdbus::Variant>& changed,
                     const std::vector<std::string>&) {
          std::lock_guard<std::mutex> lock(mutex_);
          for (const auto& [name, value] : changed) {
            if (name == "PlaybackStatus") seen_.push_back(name + "=" + value.get<std::string>());
            if (name == "CanSeek") seen_.push_back(name + "=" + std::to_string(value.get<bool>()));
            if (name == "Metadata") {
              const auto metadata = value.get<std::map<std::string, sdbus::Variant>>();
              const auto title = metadata.find("xesam:title");
              seen_.push_back(name + "=" + (title == metadata.end() ? "" : title->second.get<std::string>()));
            }
          }
        });
    proxy_->uponSignal("Seeked").onInterface("org.mpris.MediaPlayer2.Player").call([this](std::int64_t positionUs) {
      std::lock_guard<std::mutex> lock(mutex_);
      seen_.push_back("Seeked=" + std::to_string(positionUs / 1000000));
    });
    proxy_->finishRegistration();
  }
  // True once `expected` were announced in this order (others may come between).
  bool WaitFor(const std::vector<std::string>& expected) {
    return testsupport::WaitUntil([&] {
      std::lock_guard<std::mutex> lock(mutex_);
      auto at = seen_.begin();
      for (const std::string& one : expected) {
        at = std::find(at, seen_.end(), one);
        if (at == seen_.end()) return false;
      }
      return true;
    });
  }
  std::string Seen() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::string all;
    for (const std::string& one : seen_) all += one + "; ";
    return all;
  }

 private:
  std::unique_ptr<sdbus::IProxy> proxy_;
  std::mutex mutex_;  // guards seen_
  std::vector<std::string> seen_;
};

// "[" and "]" on the Player tab, then playerctl: status, metadata, pause, SetPosition and Seek
// while paused, next and stop, each change announced.
TEST_F(DesktopRunTest, PlayerctlControlsThePlayer) {
  const char* bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  if (!bus || !*bus) GTEST_SKIP() << "no session bus: run this suite under dbus-run-session";
  if (!std::filesystem::exists(kPlayerctl)) GTEST_SKIP() << kPlayerctl << " is not installed";
  ChangeListener changes;
  StartClient("waitfor message 15\n" + PlayFirstTrack() + "char [\nchar ]\n" + Dump(0) + "waitfor text \"player 2 \" 15000\n" +
              Dump(1) +
              "waitfor message 12024 15000\n"
              "waitfor text \"| Second\"\n" +
              Dump(2) + "waitfor text \"player 0 \" 15000\n" + Dump(3) + "waitfor message 16 15000\n");
  auto playerctl = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"-p", "vornalo"});
    const apptest::ProgramResult result = apptest::RunProgram(kPlayerctl, args, {}, dir_ / "tools");
    EXPECT_EQ(result.exitCode, 0) << args[2] << ": " << result.err;
    return result.out;
  };
  // Seconds into the track, as playerctl reads the Position (-1 when it cannot).
  auto position = [&] {
    const apptest::ProgramResult read = apptest::RunProgram(kPlayerctl, {"-p", "vornalo", "position"}, {}, dir_ / "tools");
    return read.exitCode == 0 ? std::atof(read.out.c_str()) : -1.0;
  };
  ASSERT_TRUE(WaitForDump(0));
  // At 0:10 now: the elapsed time shows it at once, and so does the Position.
  const std::string playing = PlayerLine(DumpPath(0));
  EXPECT_TRUE(playing.find(" 0:10 0:20 |") != std::string::npos || playing.find(" 0:09 0:20 |") != std::string::npos)
      << playing;  // the elapsed time moves in steps of 1 % of the track
  EXPECT_GE(position(), 10.0);
  EXPECT_EQ(playerctl({"status"}), "Playing\n");
  EXPECT_EQ(playerctl({"metadata", "title"}), "Long\n");
  EXPECT_EQ(playerctl({"metadata", "artist"}), "The Calls\n");
  EXPECT_EQ(playerctl({"metadata", "album"}), "Ring\n");
  // The length to the microsecond (within the encoder's last frame), not the displays' 0:20.
  EXPECT_NEAR(std::atof(playerctl({"metadata", "mpris:length"}).c_str()) / 1e6, kTrackSeconds, 0.03);
  playerctl({"play-pause"});
  ASSERT_TRUE(WaitForDump(1));
  EXPECT_EQ(StateOf(PlayerLine(DumpPath(1))), 2);
  EXPECT_EQ(playerctl({"status"}), "Paused\n");
  // Paused, the track moves and stays paused; the Position follows each move.
  playerctl({"position", "3"});
  EXPECT_TRUE(testsupport::WaitUntil([&] { return std::abs(position() - 3.0) < 0.05; })) << position();
  playerctl({"position", "1-"});
  EXPECT_TRUE(testsupport::WaitUntil([&] { return std::abs(position() - 2.0) < 0.05; })) << position();
  EXPECT_EQ(playerctl({"status"}), "Paused\n");
  playerctl({"next"});
  ASSERT_TRUE(WaitForDump(2));
  EXPECT_EQ(StateOf(PlayerLine(DumpPath(2))), 1);
  EXPECT_EQ(playerctl({"metadata", "title"}), "Second\n");
  playerctl({"stop"});
  ASSERT_TRUE(WaitForDump(3));
  EXPECT_EQ(StateOf(PlayerLine(DumpPath(3))), 0);
  EXPECT_EQ(playerctl({"status"}), "Stopped\n");
  // (Seeks in quick succession are announced once, at the last position.)
  EXPECT_TRUE(changes.WaitFor({"CanSeek=1", "Metadata=Long", "PlaybackStatus=Playing", "Seeked=10", "PlaybackStatus=Paused",
                               "Seeked=3", "Seeked=2", "Metadata=Second", "PlaybackStatus=Playing", "CanSeek=0",
                               "PlaybackStatus=Stopped"}))
      << changes.Seen();
  // Quit closes the window (16 is the close request) and the program ends normally.
  const apptest::ProgramResult quit = apptest::RunProgram(
      "/usr/bin/dbus-send", {"--session", "--print-reply", "--dest=org.mpris.MediaPlayer2.vornalo", "/org/mpris/MediaPlayer2",
                             "org.mpris.MediaPlayer2.Quit"},
      {}, dir_ / "tools");
  EXPECT_EQ(quit.exitCode, 0) << quit.err;
  EXPECT_EQ(Join().exitCode, 0) << result_.err;
}

}  // namespace
