// The real program driven headless by scripts, checked through `dump`, screenshots and files.

#include <gtest/gtest.h>

#include <cstring>

#include "core/AppSettings.h"
#include "catalogue/ItemRecords.h"
#include "platform/RegistryStore.h"
#include "playlist/PlaylistFile.h"
#include "tests/app/ProgramRun.h"
#include "tests/support/Mp3Synth.h"
#include "tests/support/ScriptedServer.h"
#include "ui/STScreenBuffer.h"

namespace {

using testsupport::HttpResponse;
using testsupport::Reply;
using testsupport::ScriptedServer;
using Lines = std::vector<std::string>;

class ApplicationTest : public apptest::ClientRunTest {
 protected:
  apptest::ProgramResult Run(const ScriptedServer& server, const std::string& script,
                             std::vector<std::string> extra = {},
                             std::map<std::string, std::string> environment = {}) {
    extra.insert(extra.begin(), {"--server", server.Url("")});
    return RunClient(script, extra, environment);
  }
  // The first two lines: the tab and the stack.
  Lines TabAndStack(const std::string& name) const { return DumpLines(name, {"tab ", "stack "}); }
};

// Tabs by stroke (with wrap-around), tap and message; the Player tab without bar and mini
// player; a popup that takes every tap and ignores strokes; rotation; About.
TEST_F(ApplicationTest, TabsStrokesTapsPopupsAndAbout) {
  ScriptedServer server(Reply(HttpResponse("", "text/plain")));
  const apptest::ProgramResult result = Run(server,
                                            "waitfor message 15\n"
                                            "dump start\n"
                                            "stroke 200 100 100 100\n"  // to the left: next tab
                                            "dump left1\n"
                                            "stroke 200 100 139 100\n"  // 61 px
                                            "dump left2\n"
                                            "tap 10 10\n"               // where the tab bar was
                                            "tap 120 250\n"             // where the mini player was
                                            "dump playertaps\n"
                                            "stroke 200 100 140 100\n"  // 60 px: 3 wraps to 0
                                            "dump wrap30\n"
                                            "stroke 100 100 200 100\n"  // to the right: 0 wraps to 3
                                            "dump wrap03\n"
                                            "stroke 100 100 130 130\n"  // 30 px both ways: nothing
                                            "stroke 100 100 159 100\n"  // 59 px: nothing
                                            "dump between\n"
                                            "stroke 100 100 200 100\n"  // 3 to 2
                                            "tap 120 250\n"             // the mini player: the player tab
                                            "dump minitap\n"
                                            "stroke 200 100 100 100\n"  // 3 to 0
                                            "tap 165 10\n"              // the collapsed Featured tab
                                            "dump tabtap\n"
                                            "softkey left\n"            // New Search
                                            "tap 120 250\n"
                                            "tap 165 10\n"
                                            "stroke 200 100 100 100\n"
                                            "stroke 100 200 100 50\n"
                                            "dump popup\n"
                                            "rotate\n"
                                            "dump rotated\n"
                                            "screenshot " + (dir_ / "rotated.png").string() + "\n"
                                            "key Ctrl+A\n"             // About replaces the open popup
                                            "dump aboutoverpopup\n"
                                            "menu Cancel\n"
                                            "dump cancelled\n"
                                            "post 1026\n"              // a list screen's Right: next tab
                                            "post 1028\n"              // an item activated: the item popup
                                            "dump itempopup\n"
                                            "post 1927\n"              // one of its entries: closes it
                                            "post 1725\n"              // the player's playlist button
                                            "dump messages1\n"
                                            "softkey left\n"
                                            "post 1224 0 2\n"          // a search chosen in the panel
                                            "dump searched\n"
                                            "post 1025\n"              // a list screen's Left: 0 wraps to 3
                                            "post 1724\n"              // the player's search button
                                            "post 1124 0 1\n"          // the tab bar chose Featured
                                            "post 1124 0 9\n"          // no such tab
                                            "dump messages2\n"
                                            "key Ctrl+A\n"
                                            "key Down\n"
                                            "key Enter\n"
                                            "tap 100 100\n"
                                            "dump about\n"
                                            "screenshot " + (dir_ / "about.png").string() + "\n"
                                            "menu Cancel\n"
                                            "dump aboutcancelled\n"
                                            "screenshot " + (dir_ / "aboutcancelled.png").string() + "\n"
                                            "menu About\n"
                                            "stroke 250 100 100 100\n"   // strokes are ignored over About too
                                            "dump aboutstroke\n"
                                            "quit\n");
  ASSERT_EQ(result.exitCode, 0) << result.err << result.out;

    EXPECT_EQ(TabAndStack("start"), (Lines{"tab 1 Featured", "stack application featured"}));
  EXPECT_TRUE(DumpHas("start", "mini ")) << testing::PrintToString(DumpLines("start"));
  EXPECT_TRUE(DumpHas("start", "title "));
  EXPECT_EQ(TabAndStack("left1"), (Lines{"tab 2 Current Playlist", "stack application playlist"}));
  EXPECT_EQ(TabAndStack("left2"), (Lines{"tab 3 Player", "stack application player"}));
  // The Player tab: no mini player shown, nothing of the tab bar or the mini player tapped.
  EXPECT_EQ(TabAndStack("playertaps"), (Lines{"tab 3 Player", "stack application player"}));
  EXPECT_FALSE(DumpHas("playertaps", "mini "));
  EXPECT_TRUE(DumpHas("playertaps", "player 0 0:00 0:00 |  | "));
  EXPECT_EQ(TabAndStack("wrap30"), (Lines{"tab 0 Search Results", "stack application search"}));
  EXPECT_EQ(TabAndStack("wrap03"), (Lines{"tab 3 Player", "stack application player"}));
  EXPECT_EQ(TabAndStack("between"), (Lines{"tab 3 Player", "stack application player"}));
  EXPECT_EQ(TabAndStack("minitap"), (Lines{"tab 3 Player", "stack application player"}));
  EXPECT_EQ(TabAndStack("tabtap"), (Lines{"tab 1 Featured", "stack application featured"}));
  // Under the popup nothing reaches the mini player or the tab bar, and no stroke acts.
  EXPECT_EQ(TabAndStack("popup"), (Lines{"tab 1 Featured", "stack application featured newsearch"}));
  EXPECT_TRUE(DumpHas("popup", "title New Search"));
  EXPECT_EQ(TabAndStack("rotated"), (Lines{"tab 1 Featured", "stack application featured newsearch"}));
  EXPECT_EQ(TabAndStack("aboutoverpopup"), (Lines{"tab 1 Featured", "stack application featured about"}));
  EXPECT_EQ(TabAndStack("cancelled"), (Lines{"tab 1 Featured", "stack application featured"}));
  EXPECT_EQ(TabAndStack("itempopup"), (Lines{"tab 2 Current Playlist", "stack application playlist itempopup"}));
  EXPECT_EQ(TabAndStack("messages1"), (Lines{"tab 2 Current Playlist", "stack application playlist"}));
  EXPECT_EQ(TabAndStack("searched"), (Lines{"tab 0 Search Results", "stack application search"}));
  EXPECT_EQ(TabAndStack("messages2"), (Lines{"tab 1 Featured", "stack application featured"}));
  EXPECT_EQ(TabAndStack("about"), (Lines{"tab 1 Featured", "stack application featured about"}));
  EXPECT_TRUE(DumpHas("about", "text Version 1.4")) << testing::PrintToString(DumpLines("about"));
  EXPECT_EQ(TabAndStack("aboutcancelled"), (Lines{"tab 1 Featured", "stack application featured"}));
  EXPECT_EQ(TabAndStack("aboutstroke"), (Lines{"tab 1 Featured", "stack application featured about"}));

  // The rotation repainted the whole stack in landscape: the bar spans the width and the popup
  // covers what a portrait panel would have left white.
  ui::STScreenBuffer shot;
  ASSERT_TRUE(shot.LoadPng((dir_ / "rotated.png").c_str()));
  ASSERT_EQ(shot.Width(), 320);
  const std::int32_t top = 26;  // the title bar
  EXPECT_NE(shot.DecodedPixel(300, top + 10) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_NE(shot.DecodedPixel(300, top + 100) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_NE(shot.DecodedPixel(290, top + 150) & 0xFFFFFF, 0xFFFFFFu);
  // About opened after the rotation shows the landscape picture, across the whole width.
  ASSERT_TRUE(shot.LoadPng((dir_ / "about.png").c_str()));
  EXPECT_NE(shot.DecodedPixel(300, top + 100) & 0xFFFFFF, 0xFFFFFFu);
  // Once About is cancelled, the tab's page shows again where the picture was.
  ASSERT_TRUE(shot.LoadPng((dir_ / "aboutcancelled.png").c_str()));
  EXPECT_EQ(shot.DecodedPixel(160, top + 120) & 0xFFFFFF, 0xFFFFFFu);
}

// "c", "C" and "9" advance the theme (nine presses from 4 give 3, stored); "Help" opens the
// help page; Ctrl+Q writes the playlist on the way out.
TEST_F(ApplicationTest, ThemeKeyAndCtrlQWritesThePlaylist) {
  ScriptedServer server(Reply(HttpResponse("", "text/plain")));
  catalogue::AudioCueRecord record{};
  std::strcpy(record.title, "Kept");
  // A final record cut short is read zero-filled and written back whole.
  std::string file = playlist::playlistfile::Encode(u"Mine", {&record});
  file += std::string(100, 'x');
  testsupport::WriteFile(dir_ / playlist::playlistfile::kFileName, file);

  apptest::BrowserRecorder browser(dir_.Path());
  const apptest::ProgramResult result = Run(
      server,
      "waitfor message 15\n"
      "char x\nchar c\nchar C\nchar 9\nchar c\nchar c\nchar c\nchar c\nchar c\nchar c\n"
      "post 1929 0 10\npost 1929 0 -1\n"  // no such theme: nothing chosen
      "menu \"Help (Launches Browser)...\"\n"
      "stroke 200 100 100 100\n"  // to the playlist tab
      "dump playlist\n"
      "key Ctrl+Q\n",
      {}, {{"VORNALO_BROWSER", browser.Program()}});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out.find("script error"), std::string::npos) << result.out;
  platform::RegistryStore store((dir_ / "config").string());
  EXPECT_EQ(store.Query(core::AppSettings::kRegistryKey, "overlayColor")->number, 3u);
  const Lines playlist = DumpLines("playlist");
  EXPECT_TRUE(DumpHas("playlist", "row 0 selected  | Kept")) << testing::PrintToString(playlist);
  EXPECT_TRUE(DumpHas("playlist", "row 1 ")) << testing::PrintToString(playlist);
  EXPECT_EQ(testsupport::ReadFile(dir_ / playlist::playlistfile::kFileName).size(),
            playlist::playlistfile::kTitleBytes + 2 * playlist::playlistfile::kRecordBytes);

  ASSERT_TRUE(browser.WaitForUrls(1));
  EXPECT_EQ(browser.Urls(), (std::vector<std::string>{"http://www.vornalo.com/mobile/wm/help"}));
}

// The mini player follows the track on timer 1005 but not under a popup; "Clear Current
// Playlist" stops it (12027) and empties the list and file; the next entry was fetched ahead.
TEST_F(ApplicationTest, PositionTimerAndClearCurrentPlaylist) {
  const std::string mp3 = testsupport::SynthesizeMp3(8.0, 44100, 2, 128);
  ASSERT_FALSE(mp3.empty());
  ScriptedServer server(std::vector<testsupport::ServerScript>{
      Reply(HttpResponse("", "text/plain")),                 // the version check
      Reply(HttpResponse("", "text/xml")),                   // the first featured page: none
      Reply(HttpResponse("not_available", "text/plain")),    // the stream URL lookup
      Reply(HttpResponse(mp3, "audio/mpeg")),                // the stream
      Reply(HttpResponse("not_available", "text/plain"))});  // anything after: not expected
  catalogue::AudioCueRecord record{};
  std::strcpy(record.title, "Tone");
  std::strcpy(record.creator, "Synth");
  std::strcpy(record.album, "Tests");
  std::strcpy(record.mp3_url_id, "7");
  std::snprintf(record.location, sizeof record.location, "%s", server.Url("/tone.mp3").c_str());
  testsupport::WriteFile(dir_ / playlist::playlistfile::kFileName, playlist::playlistfile::Encode(u"Mine", {&record}));

  const apptest::ProgramResult result = Run(server,
                                            "waitfor message 15\n"
                                            "stroke 200 100 100 100\n"  // the playlist tab
                                            "post 1928\n"  // its item popup's "Play": plays the selection
                                            "waitfor message 12024 10000\n"
                                            "waitfor text \"mini Synth - Tone | 0:01 | 0:0\" 10000\n"
                                            "softkey left\n"
                                            "dump popupopen\n"
                                            "wait 3000\n"
                                            "dump popuplater\n"
                                            "menu Cancel\n"
                                            "waitfor text \"mini Synth - Tone | 0:05\" 10000\n"
                                            "menu \"Clear Current Playlist\"\n"
                                            "waitfor message 12027 5000\n"
                                            "dump cleared\n"
                                            "stroke 200 100 100 100\n"  // the player tab
                                            "dump player\n"
                                            "quit\n");
  ASSERT_EQ(result.exitCode, 0) << result.err << result.out;
  const Lines open = DumpLines("popupopen"), later = DumpLines("popuplater");
  ASSERT_TRUE(DumpHas("popupopen", "mini Synth - Tone | 0:0")) << testing::PrintToString(open);
  EXPECT_EQ(open, later);  // two timer ticks under the popup changed nothing
  const Lines cleared = DumpLines("cleared");
  EXPECT_EQ(TabAndStack("cleared"), (Lines{"tab 2 Current Playlist", "stack application playlist"}));
  EXPECT_TRUE(DumpHas("cleared", "mini  | 0:00 | 0:00")) << testing::PrintToString(cleared);
  EXPECT_FALSE(DumpHas("cleared", "row ")) << testing::PrintToString(cleared);
  EXPECT_TRUE(DumpHas("player", "player 0 0:00 0:00 |  | "));
  EXPECT_EQ(testsupport::ReadFile(dir_ / playlist::playlistfile::kFileName), "");
  EXPECT_EQ(server.AcceptedCount(), 6);  // the next entry's lookup and stream, once
}

// A track change or media command draws only what is shown: the centre button, not the
// console from another tab, nothing over a popup, no bar or mini player under one.
TEST_F(ApplicationTest, TrackChangesAndMediaCommandsDrawOnlyWhatIsShown) {
  const std::string mp3 = testsupport::SynthesizeMp3(8.0, 44100, 2, 128);
  ASSERT_FALSE(mp3.empty());
  std::vector<testsupport::ServerScript> replies{Reply(HttpResponse("", "text/plain")), Reply(HttpResponse("", "text/xml"))};
  for (int i = 0; i < 12; ++i) {
    replies.push_back(Reply(HttpResponse("not_available", "text/plain")));
    replies.push_back(Reply(HttpResponse(mp3, "audio/mpeg")));
  }
  ScriptedServer server(replies);
  catalogue::AudioCueRecord records[2]{};
  for (catalogue::AudioCueRecord& record : records) {
    std::strcpy(record.creator, "Synth");
    std::snprintf(record.location, sizeof record.location, "%s", server.Url(&record == records ? "/tone.mp3" : "/two.mp3").c_str());
  }
  std::strcpy(records[0].title, "Tone");
  std::strcpy(records[1].title, "Two");
  testsupport::WriteFile(dir_ / playlist::playlistfile::kFileName,
                         playlist::playlistfile::Encode(u"Mine", {&records[0], &records[1]}));
  auto shot = [&](const char* name) { return "screenshot " + (dir_ / name).string() + "\n"; };
  const apptest::ProgramResult result = Run(
      server, "waitfor message 15\n"
              "post 1124 0 3\n"
              "post 2024 1\n"  // play
              "waitfor message 12024 10000\n" + shot("started.png") +
              "waitfor text \"player 1 0:01\" 5000\n" + shot("ticked.png") +
              "post 1124 0 1\n" + shot("featured.png") +
              "post 2024 0\npost 2024 0\npost 2024 3\n"  // play-pause twice, next
              "waitfor message 12024 10000\n"
              "waitfor text \"mini Synth - Two\"\n" + shot("featurednext.png") +
              "softkey left\n" + shot("popup.png") +
              "post 2024 4\n"  // previous, under the popup
              "waitfor message 12024 10000\n"
              "dump popupprevious\n" + shot("popupprevious.png") +
              "menu Cancel\npost 1124 0 3\nmenu \"Color Themes... (C key)\"\n" + shot("playerpopup.png") +
              "char c\n" + shot("playerrepaint.png") + "quit\n");
  ASSERT_EQ(result.exitCode, 0) << result.err << result.out;
  EXPECT_EQ(result.out.find("script error"), std::string::npos) << result.out;
  EXPECT_TRUE(DumpHas("popupprevious", "mini Synth - Tone |")) << testing::PrintToString(DumpLines("popupprevious"));
  auto differing = [&](const char* a, const char* b, platform::Rect inside, platform::Rect except = {}) {
    return apptest::DifferingPixels(dir_ / a, dir_ / b, inside, except);
  };
  EXPECT_EQ(differing("started.png", "ticked.png", {94, 184, 146, 236}), 0) << "the centre button";
  EXPECT_EQ(differing("featured.png", "featurednext.png", {0, 0, 240, 232}), 0) << "the list above the mini player";
  EXPECT_GT(differing("featured.png", "featurednext.png", {0, 232, 240, 268}), 0) << "the mini player";
  EXPECT_EQ(differing("popup.png", "popupprevious.png", {0, 0, 240, 268}, {16, 81, 226, 119}), 0) << "the popup";
  // Where the panel is clear (its left edge and its last rows) the console still shows.
  EXPECT_EQ(differing("playerpopup.png", "playerrepaint.png", {0, 0, 2, 268}), 0) << "the tab bar";
  EXPECT_EQ(differing("playerpopup.png", "playerrepaint.png", {0, 266, 240, 268}), 0) << "the mini player";
}

// An image missing at creation: "Missing Files", no paint, exit 0, the playlist file kept.
TEST_F(ApplicationTest, MissingImageAtCreation) {
  ScriptedServer server(Reply(HttpResponse("", "text/plain")));
  catalogue::AudioCueRecord record{};
  std::strcpy(record.title, "Kept");
  const std::string playlist = playlist::playlistfile::Encode(u"Mine", {&record});
  testsupport::WriteFile(dir_ / playlist::playlistfile::kFileName, playlist);
  const std::filesystem::path resources = dir_ / "qvga";
  for (const char* missing : {"misc_resources/Splash_About_Horizontal.png", "tab_resources/tab_middle.png",
                              "miniplayer/vertical_miniplayer_background.png"}) {
    SCOPED_TRACE(missing);
    std::filesystem::copy(std::filesystem::path(VORNALO_PROGRAM).parent_path() / "qvga", resources,
                          std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
    std::filesystem::remove(resources / missing);
    const apptest::ProgramResult result = Run(server, "waitfor message 15\ndump never\nquit\n",
                                              {"--resources", resources.string()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out,
              "MessageBox: Missing Files: Files are missing from this installation.  Please re-install the "
              "application. A fresh copy can be downloaded from http://www.vornalo.com/mobile/.\nWindow raised\n");
    EXPECT_EQ(testsupport::ReadFile(dir_ / playlist::playlistfile::kFileName), playlist);
  }
}

}  // namespace
