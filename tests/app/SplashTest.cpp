// The splash, with the version on its lower left, shown while the version request waits.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <atomic>
#include <thread>

#include "app/VornaloProgram.h"
#include "screens/Splash.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"
#include "ui/STScreenBuffer.h"

namespace {

using testsupport::ScriptedServer;

TEST(SplashTest, ShownWithTheVersionWhileTheVersionCheckWaits) {
  struct Case {
    platform::Size screen;
    const char* resources;
    const char* picture;
    std::int32_t scale;
    platform::Point version;  // where the version's cell starts on the screen
  } cases[] = {
      {{240, 320}, "qvga", "Splash_About_Vertical.png", 1, {2, 280}},
      {{800, 480}, "vga", "Splash_About_Horizontal.png", 2, {4, 404}},
  };
  const std::filesystem::path programDir = std::filesystem::path(VORNALO_PROGRAM).parent_path();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.resources);
    testsupport::TempDir dir;
    std::filesystem::create_directory(dir / "runtime");
    ::chmod((dir / "runtime").c_str(), 0700);
    // The version reply is held back while the test looks at the screen.
    ScriptedServer server({testsupport::ReadRequest(), testsupport::Pause(1500),
                           testsupport::Send(testsupport::HttpResponse("", "text/plain")), testsupport::Close()});
    app::AppOptions options;
    options.window.headless = true;
    options.window.screen = c.screen;
    options.window.script = (dir / "script.txt").string();
    options.configDirectory = (dir / "config").string();
    options.dataDirectory = dir.Path().string();
    options.instanceDirectory = (dir / "runtime").string();
    options.resourceDirectory = (programDir / c.resources).string();
    options.serverUrl = server.Url("");
    testsupport::WriteFile(options.window.script, "waitfor message 15\nquit\n");
    std::atomic<platform::Window*> splashWindow{nullptr};
    app::ApplicationParts parts;
    parts.drawSplash = [&](platform::Window& window) {
      screens::DrawSplash(window);
      splashWindow = &window;
    };
    // The program's thread waits for the reply and leaves its window alone: shoot it from here.
    const std::string shotPath = (dir / "splash.png").string();
    bool tookShot = false, replyStillHeld = false;
    std::thread watcher([&] {
      if (!testsupport::WaitUntil([&] { return splashWindow.load() && server.Requests().size() == 1; },
                                  std::chrono::seconds(10))) {
        return;
      }
      std::string error;
      tookShot = splashWindow.load()->SaveScreenshot(shotPath, error);
      replyStillHeld = server.FinishedCount() == 0;
    });
    EXPECT_EQ(app::RunVornalo(options, parts), 0);
    watcher.join();
    ASSERT_TRUE(tookShot);
    EXPECT_TRUE(replyStillHeld);

    ui::STScreenBuffer shot, picture;
    ASSERT_TRUE(shot.LoadPng(shotPath.c_str()));
    ASSERT_TRUE(picture.LoadPng((programDir / c.resources / "misc_resources" / c.picture).c_str()));
    ASSERT_EQ(shot.Width(), c.screen.width);
    const std::int32_t top = 26 * c.scale;  // below the title bar
    for (const platform::Point p : {platform::Point{10, 10}, platform::Point{picture.Width() / 2, picture.Height() / 3},
                                    platform::Point{picture.Width() - 5, picture.Height() - 5}}) {
      EXPECT_EQ(shot.DecodedPixel(p.x, top + p.y) & 0xFFFFFF, picture.DecodedPixel(p.x, p.y) & 0xFFFFFF)
          << p.x << "," << p.y;
    }
    // The version's ink (#62627D) lies in its cell and nowhere left of it or above it.
    int ink = 0, stray = 0;
    for (std::int32_t y = 0; y < shot.Height(); ++y) {
      for (std::int32_t x = 0; x < shot.Width(); ++x) {
        if ((shot.DecodedPixel(x, y) & 0xFFFFFF) != 0x62627D) continue;
        const bool inCell = x >= c.version.x && x < c.version.x + 30 * c.scale && y >= c.version.y &&
                            y < c.version.y + 14 * c.scale;
        ++(inCell ? ink : stray);
      }
    }
    EXPECT_GT(ink, 5);
    EXPECT_EQ(stray, 0);
  }
}

}  // namespace
