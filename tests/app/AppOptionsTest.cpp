#include "app/AppOptions.h"
#include "app/DesktopLayout.h"

#include <gtest/gtest.h>

namespace {

using Outcome = app::AppOptions::Outcome;

// The options parsed from `args`, which must be accepted with `expected`.
app::AppOptions Parse(std::vector<std::string> args, Outcome expected = Outcome::kRun) {
  app::AppOptions options;
  std::string error;
  EXPECT_EQ(app::ParseAppOptions(args, options, error), expected) << error;
  return options;
}

TEST(AppOptions, DefaultsEmbedTheDemoLibraryOnTheDesktop) {
  const app::AppOptions options = Parse({});
  EXPECT_TRUE(options.UsesEmbeddedServer());
  EXPECT_EQ(options.library, app::DefaultLibraryDirectory());
  EXPECT_EQ(options.audio, app::AppOptions::AudioOutput::kSdl);
  EXPECT_EQ(options.window.screen, (platform::Size{240, 320}));
  EXPECT_EQ(options.versionTimeoutMs, 7500);
  EXPECT_FALSE(options.offline);
  EXPECT_EQ(options.cacheMegabytes, 1024u);
  EXPECT_TRUE(options.cacheDirectory.empty());
}

TEST(AppOptions, EveryOptionIsRead) {
  const app::AppOptions options =
      Parse({"--server", "http://music.example:8080/", "--screen", "480x640", "--zoom", "2", "--script", "s.txt",
             "--data-dir", "d", "--config-dir", "c", "--resources", "r", "--audio", "wav:out.wav", "--debug",
             "--offline", "--version-timeout", "250", "--cache-mb", "0", "--cache-dir", "t"});
  EXPECT_EQ(options.serverUrl, "http://music.example:8080");
  EXPECT_TRUE(options.library.empty());
  EXPECT_EQ(options.window.screen, (platform::Size{480, 640}));
  EXPECT_EQ(options.window.zoom, 2);
  EXPECT_TRUE(options.window.headless);
  EXPECT_EQ(options.dataDirectory, "d");
  EXPECT_EQ(options.configDirectory, "c");
  EXPECT_EQ(options.resourceDirectory, "r");
  EXPECT_EQ(options.audio, app::AppOptions::AudioOutput::kWav);  // given: kept also headless
  EXPECT_EQ(options.wavPath, "out.wav");
  EXPECT_TRUE(options.debug);
  EXPECT_TRUE(options.offline);
  EXPECT_EQ(options.versionTimeoutMs, 250);
  EXPECT_EQ(options.cacheMegabytes, 0u);
  EXPECT_EQ(options.cacheDirectory, "t");
}

TEST(AppOptions, HeadlessDefaultsToTheNullSinkLibraryEmbedsHelpAndCallCount) {
  const app::AppOptions headless = Parse({"--headless", "--library", "/music"});
  EXPECT_EQ(headless.audio, app::AppOptions::AudioOutput::kNull);
  EXPECT_TRUE(headless.UsesEmbeddedServer());
  EXPECT_EQ(headless.library, "/music");
  Parse({"--offline", "--help"}, Outcome::kHelp);
  EXPECT_EQ(Parse({"--set-call-count", "3"}, Outcome::kSetCallCount).callCount, 3u);
}

TEST(AppOptions, BadCommandLinesAreRefused) {
  const std::vector<std::vector<std::string>> cases = {
      {"--server"},
      {"--server", "https://secure.example"},
      {"--server", "music.example"},
      {"--server", "http://"},
      {"--server", "http://host/path"},
      {"--server", "http://a b"},
      {"--server", "http://h", "--library", "/music"},
      {"--audio", "alsa"},
      {"--audio", "wav:"},
      {"--screen", "240"},
      {"--zoom", "9"},
      {"--set-call-count", "-1"},
      {"--set-call-count", "two"},
      {"--version-timeout", "0"},
      {"--cache-mb", "1048577"},
      {"--cache-mb", "-5"},
      {"--cache-dir"},
      {"--library", ""},
      {"--frobnicate"},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(args[0] + (args.size() > 1 ? " " + args[1] : ""));
    app::AppOptions options;
    std::string error;
    EXPECT_EQ(app::ParseAppOptions(args, options, error), Outcome::kError);
    EXPECT_FALSE(error.empty());
  }
}

// --screen and --zoom are kept; otherwise a zoom of 2 or more (the display's, or the one
// remembered) shows the default layout natively doubled; the display is asked only when needed.
TEST(AppOptions, DesktopLayoutIsSharpByDefault) {
  const platform::Size qvga{240, 320}, vga{480, 640};
  const struct {
    std::vector<std::string> args;
    int remembered, display;
    platform::Size screen;
    int zoom, unit;
  } cases[] = {
      {{}, 0, 1, qvga, 1, 1},
      {{}, 0, 2, vga, 1, 2},
      {{}, 0, 3, vga, 1, 2},
      {{}, 0, 5, vga, 2, 2},
      {{}, 2, 0, vga, 1, 2},
      {{}, 4, 0, vga, 2, 2},
      {{}, 3, 0, qvga, 3, 1},
      {{"--zoom", "2"}, 4, 0, qvga, 2, 1},
      {{"--screen", "240x320"}, 0, 0, qvga, 0, 1},
      {{"--screen", "320x240"}, 2, 0, platform::Size{320, 240}, 2, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args) + " remembered " + std::to_string(c.remembered));
    int asked = 0;
    const app::DesktopLayout layout = app::ChooseDesktopLayout(Parse(c.args).window, c.remembered, [&] {
      ++asked;
      return c.display;
    });
    EXPECT_EQ(layout.screen, c.screen);
    EXPECT_EQ(layout.zoom, c.zoom);
    EXPECT_EQ(layout.zoomUnit, c.unit);
    EXPECT_EQ(asked, c.display ? 1 : 0);
  }
}

}  // namespace
