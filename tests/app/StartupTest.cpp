// The start-up paths of the real program, headless against a scripted server.

#include <gtest/gtest.h>

#include "app/SingleInstance.h"
#include "server/CatalogueServer.h"
#include "tests/app/ProgramRun.h"
#include "tests/support/ScriptedServer.h"

namespace {

using testsupport::HttpResponse;
using testsupport::Reply;
using testsupport::ScriptedServer;

const std::string kRecommendedBox =
    "MessageBox: New Version Available: There is a newer version available of Vornalo Mobile. "
    "We recommend you install this new version. Do you want to install it now?\n";
const std::string kRequiredBox =
    "MessageBox: New Version Available: There is a newer version available of Vornalo Mobile. "
    "You are required to install this new version to continue usage of this application. Do you "
    "want to install it now?\n";
const std::string kConnectionFailureBox =
    "MessageBox: Connection Failure: Either the Vornalo server is down for maintenance, or you do "
    "not have an active data connection. Please try again later.\n";
const std::string kDataConnectionBox =
    "MessageBox: Data Connection Failure: Please Establish a Data Connection and Restart Vornalo "
    "Mobile.\n";

class StartupTest : public apptest::ClientRunTest {
 protected:
  StartupTest() : browser_(dir_.Path()) {}

  // Runs the program over `serverUrl`: `answers`, then quit at the first paint.
  apptest::ProgramResult Run(const std::string& serverUrl, const std::string& answers = "",
                             std::vector<std::string> extra = {}) {
    if (!serverUrl.empty()) extra.insert(extra.begin(), {"--server", serverUrl});
    return RunClient(answers + "waitfor message 15\nquit\n", extra, {{"VORNALO_BROWSER", browser_.Program()}});
  }

  apptest::BrowserRecorder browser_;
};

// The version check's request, boxes, whether the loop ran or the program ended before its
// window, and the browser started; every path exits 0.
TEST_F(StartupTest, VersionCheckPaths) {
  using testsupport::ReadRequest;
  struct Case {
    const char* reply;
    const char* answer;
    std::string expectedOut;
    const char* browsed = nullptr;  // null: the browser must not start
    testsupport::ServerScript script = {};  // when not the reply
    std::vector<std::string> extra = {};
    int connections = 1;
    const char* screenCode = "r=1";  // in the one request made
  };
  // The message loop ran the script.
  const std::string started = "Window raised\nscript: answer No\nscript: waitfor message 15\nscript: quit\n";
  const Case cases[] = {
      {"", "No", started, nullptr, {}, {"--screen", "600x1024"}, 1, "r=99"},
      {"anything", "No", started},  // an unknown reply: nothing asked
      {"optional,http://x/y", "No", kRecommendedBox + started},
      {"unsupported platform", "No", kRecommendedBox + started},
      // The program ends before its window: no script line in the log.
      {"required,http://x/y", "No", kRequiredBox},
      {"required,http://x/y", "Yes", kRequiredBox, "http://x/y"},
      {"optional,http://x/y", "Yes", kRecommendedBox, "http://x/y"},
      {"unsupported platform", "Yes", kRecommendedBox, "http://www.vornalo.com/wm/downloads"},
      {"(silent)", "", kConnectionFailureBox, nullptr, {ReadRequest(), testsupport::Hang()},
       {"--version-timeout", "300"}},
      {"(offline)", "", kDataConnectionBox, nullptr, {}, {"--offline"}, 0},
  };
  std::size_t browsed = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.reply) + " / " + c.answer);
    ScriptedServer server(c.script.empty() ? Reply(HttpResponse(c.reply, "text/plain")) : c.script);
    const std::string answers = *c.answer ? std::string("answer ") + c.answer + "\n" : "";
    apptest::ProgramResult result = Run(server.Url(""), answers, c.extra);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, c.expectedOut);
    // Once the window is up, the featured screen asks for its first page as well.
    const std::string request = "GET /mobile/wm/downloads/version.php?v=1.4&p=2&" + std::string(c.screenCode);
    int versionChecks = 0;
    for (const std::string& made : server.Requests()) {
      if (made.rfind("GET /api/wm_app/getAllFeaturedCueLists?", 0) == 0) continue;
      ++versionChecks;
      EXPECT_EQ(made.rfind(request + " HTTP/1.0\r\n", 0), 0u) << made;
    }
    EXPECT_EQ(versionChecks, c.connections);
    if (c.browsed) {
      ASSERT_TRUE(browser_.WaitForUrls(++browsed));
      EXPECT_EQ(browser_.Urls().back(), c.browsed);
    }
    EXPECT_EQ(browser_.Urls().size(), browsed);
  }
}

// Scale 2 (640 x 640 too) draws from vga/ with a 1,228,800-byte blend buffer, scale 1 from qvga/.
TEST_F(StartupTest, ScreenSizeChoosesArtworkFolderAndBlendBuffer) {
  const std::filesystem::path programDirectory = std::filesystem::path(VORNALO_PROGRAM).parent_path();
  struct Case {
    const char* screen;
    const char* folder;
    const char* bufferBytes;
  } cases[] = {
      {"640x640", "vga", "1228800"}, {"480x480", "qvga", "307200"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.screen);
    ScriptedServer server(Reply(HttpResponse("", "text/plain")));
    apptest::ProgramResult result = Run(server.Url(""), "", {"--screen", c.screen, "--debug"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const std::filesystem::path folder = programDirectory / c.folder;
    EXPECT_NE(result.err.find("resources " + folder.string() + ", blend buffer " + c.bufferBytes + " bytes\n"),
              std::string::npos)
        << result.err;
    EXPECT_TRUE(std::filesystem::exists(folder / "tab_resources" / "tab_middle.png"));
  }
}

TEST_F(StartupTest, SecondStartRaisesTheRunningInstanceAndMakesNoRequest) {
  app::SingleInstance running(Runtime());
  ASSERT_EQ(running.Acquire(), app::SingleInstance::Outcome::kFirst);
  std::atomic<int> raised{0};
  running.SetRaiseHandler([&raised] { ++raised; });

  ScriptedServer server(Reply(HttpResponse("required,http://x/y", "text/plain")));
  apptest::ProgramResult result = Run(server.Url(""), "answer Yes\n");
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "");  // nothing of its own
  EXPECT_EQ(raised.load(), 1);
  EXPECT_EQ(server.AcceptedCount(), 0);
  EXPECT_TRUE(browser_.Urls().empty());
}

// The embedded catalogue server answers the version check with its --version-reply.
TEST_F(StartupTest, RealServerVersionReply) {
  testsupport::TempDir library;
  server::CatalogueServer catalogue;
  server::ServerOptions options;
  options.library = library.Path();
  options.versionReply = "required,http://updates.example/vornalo";
  ASSERT_TRUE(catalogue.Start(options));
  apptest::ProgramResult result = Run(catalogue.BaseUrl(), "answer No\n");
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, kRequiredBox);
  catalogue.Stop();
}

// With no server option the program embeds one over the library given, which must exist.
TEST_F(StartupTest, EmbeddedServerOverAMissingLibraryIsAnError) {
  apptest::ProgramResult missing = Run("", "", {"--library", (dir_ / "no-such-folder").string()});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("cannot start the embedded catalogue server"), std::string::npos) << missing.err;
}

// A script line that fails ends the program cleanly: its own exit code, the error on stderr.
TEST_F(StartupTest, FailedScriptLineEndsCleanly) {
  ScriptedServer server(Reply(HttpResponse("", "text/plain")));
  apptest::ProgramResult result = RunClient("bogus\nquit\n", {"--server", server.Url("")});
  EXPECT_EQ(result.exitCode, 2) << result.err;
  EXPECT_NE(result.err.find("script error: " + (dir_ / "script.txt").string() + ":1: unknown command: bogus"),
            std::string::npos)
      << result.err;
}

TEST_F(StartupTest, BadCommandLineEndsWithStatusTwo) {
  apptest::ProgramResult bad = apptest::RunProgram(VORNALO_PROGRAM, {"--audio", "alsa"}, {}, dir_.Path());
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_NE(bad.err.find("--audio expects sdl, null, wav:FILE or wav-realtime:FILE"), std::string::npos) << bad.err;
}

}  // namespace
