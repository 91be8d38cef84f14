// The item popup's actions and the theme and skin lists in the real program: each screen's
// entries, browser actions, playlist changes with playback, and choices kept across runs.

#include <gtest/gtest.h>

#include "core/AppSettings.h"
#include "platform/RegistryStore.h"
#include "server/CatalogueServer.h"
#include "tests/app/ProgramRun.h"
#include "tests/server/TestLibrary.h"
#include "tests/support/ScriptedServer.h"

namespace {

using testsupport::HttpResponse;
using testsupport::Reply;
using Lines = std::vector<std::string>;

int NoDeviceId(std::uint8_t*, std::size_t*) { return -1; }

class PopupActionsRunTest : public apptest::ClientRunTest {
 protected:
  PopupActionsRunTest() : browser_(dir_.Path()) {}

  apptest::ProgramResult Run(const std::string& script, const std::string& serverUrl,
                             std::vector<std::string> extra = {}) {
    extra.insert(extra.begin(), {"--server", serverUrl, "--debug"});
    apptest::ProgramResult result = RunClient(script, extra, {{"VORNALO_BROWSER", browser_.Program()}});
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    return result;
  }
  // A catalogue server over three tracks by one band and a featured CueList of all three.
  void StartLibrary() {
    library_.AddDayAlbum(1.0, 20);
    server::ServerOptions options;
    options.library = library_.Root();
    ASSERT_TRUE(catalogue_.Start(options));
  }

  apptest::BrowserRecorder browser_;
  servertest::TestLibrary library_;
  server::CatalogueServer catalogue_;
};

std::string SearchItem(const std::string& media, const std::string& fields) {
  return "<result_list_item><media>" + media + "</media>" + fields + "</result_list_item>";
}

// Each kind's popup lines and entries; a shell-breaking title in the store search, the article,
// and a non-http article that opens nothing.
TEST_F(PopupActionsRunTest, EntriesByScreenAndKindAndTheBrowserActions) {
  const std::string search = "<search><filter_count_total>4</filter_count_total>" +
      SearchItem("audio", "<title>\"; rm -rf ~; \"</title><creator>$(id)</creator><location>http://m/a.mp3</location>") +
      SearchItem("playlist", "<title>Mix</title><item_count>12</item_count><playlist_id>p</playlist_id>"
                             "<location>http://m/list</location>") +
      SearchItem("text", "<title>Subject</title><location>http://w/Subject</location>") +
      SearchItem("text", "<title>Trap</title><location>file:///etc/passwd</location>") + "</search>";
  testsupport::ScriptedServer server(std::vector<testsupport::ServerScript>{
      Reply(HttpResponse("", "text/plain")),
      Reply(HttpResponse("<featured><total_cuelist_count>1</total_cuelist_count><result_list_item><title>Best"
                         "</title><playlist_id>f0</playlist_id><publish_date>2009-12-25</publish_date><item_count>4"
                         "</item_count><location>http://m/f</location></result_list_item></featured>")),
      Reply(HttpResponse(search))});
  const apptest::ProgramResult result = Run(
      "waitfor message 15\n"
      "key Enter\ndump featured\nmenu Cancel\n"
      "post 1124 0 0\nkey Enter\ndump empty\nmenu Cancel\n"  // no results yet: an empty popup
      "softkey left\ntext x\nkey Enter\n"
      "key Enter\ndump audio\nkey Down\nkey Down\nkey Enter\n"  // Purchase
      "key Down\nkey Enter\ndump cuelist\nmenu Cancel\n"
      "key Down\nkey Enter\ndump text\nkey Enter\n"  // Open Article
      "key Down\nkey Enter\nkey Enter\n"             // the article that is not http
      "dump after\n", server.Url(""));
  EXPECT_EQ(DumpLines("featured", {"stack", "text", "entry"}),
            (Lines{"stack application featured itempopup", "text CueList", "text 4 total items", "text Best",
                   "text http://m/f", "entry 0 selected Replace Current Playlist"}));
  EXPECT_EQ(DumpLines("empty", {"stack", "text Best", "text CueList", "entry"}), Lines{"stack application search itempopup"});
  EXPECT_EQ(DumpLines("audio", {"stack", "text", "entry"}),
            (Lines{"stack application search itempopup", "text AudioCue", "text $(id) - ", "text \"; rm -rf ~; \"",
                   "text http://m/a.mp3", "entry 0 selected Add to Current Playlist", "entry 1 Replace Current Playlist",
                   "entry 2 Purchase (Launches Browser)..."}));
  EXPECT_EQ(DumpLines("cuelist", {"text", "entry"}),
            (Lines{"text CueList", "text 12 total items", "text Mix", "text http://m/list",
                   "entry 0 selected Replace Current Playlist"}));
  EXPECT_EQ(DumpLines("text", {"text", "entry"}),
            (Lines{"text TextCue", "text Wikipedia article", "text Subject", "text http://w/Subject",
                   "entry 0 selected Open Article In Browser..."}));
  EXPECT_EQ(DumpLines("after", {"stack"}), Lines{"stack application search"});
  ASSERT_TRUE(browser_.WaitForUrls(2));
  Lines urls = browser_.Urls();
  std::sort(urls.begin(), urls.end());
  EXPECT_EQ(urls, (Lines{"http://store.vornalo.com/s/ref=nb_ss_m?url=search-alias%3Dmusic-artist&field-keywords="
                         "%24%28id%29+%22%3B+rm+%2Drf+%7E%3B+%22",
                         "http://w/Subject"}));
  EXPECT_NE(result.err.find("refused URL \"file:///etc/passwd\""), std::string::npos) << result.err;
}

// Add plays at once or after what played; Replace stops without moving on (12027), fills and
// plays the first entry; Remove of the playing entry stops it.
TEST_F(PopupActionsRunTest, AddReplaceAndRemoveWithPlayback) {
  StartLibrary();
  Run("waitfor message 15\n"
      "softkey left\ntext Hours\nkey Enter\ndump results\n"
      "key Down\nkey Enter\nkey Enter\n"  // row 1: Add to Current Playlist
      "waitfor message 12024 20000\ndump first\n"
      "key Down\nkey Enter\nkey Enter\ndump second\n"
      "post 1124 0 1\n"
      "key Enter\nkey Enter\n"  // Replace Current Playlist
      "waitfor message 12027 20000\n"
      "waitfor message 12024 20000\ndump replaced\n"
      "key Enter\ndump playlistpopup\nkey Down\nkey Enter\n"  // Remove Item From Playlist
      "waitfor message 12027 20000\ndump removed\n", catalogue_.BaseUrl());
  EXPECT_EQ(DumpLines("results", {"row"}), (Lines{"row 0 selected Wikipedia Article | The Hours", "row 1 The Hours - Day | Dawn",
                                              "row 2 The Hours - Day | Dusk", "row 3 The Hours - Day | Noon"}));
  auto mini = [&](const std::string& name) {
    const Lines line = DumpLines(name, {"mini"});
    return line.empty() ? std::string() : line[0].substr(0, line[0].find(" |"));
  };
  EXPECT_NE(mini("first").find("Dawn"), std::string::npos) << mini("first");
  EXPECT_EQ(mini("second"), mini("first"));
  EXPECT_EQ(DumpLines("second", {"stack"}), Lines{"stack application search"});
  EXPECT_EQ(DumpLines("replaced", {"tab", "row"}),
            (Lines{"tab 2 Current Playlist", "row 0 selected current The Hours - Day | Dawn", "row 1 The Hours - Day | Noon",
                   "row 2 The Hours - Day | Dusk"}));
  EXPECT_NE(mini("replaced").find("Dawn"), std::string::npos) << mini("replaced");
  EXPECT_EQ(DumpLines("playlistpopup", {"entry"}),
            (Lines{"entry 0 selected Play", "entry 1 Remove Item From Playlist", "entry 2 Purchase (Launches Browser)..."}));
  EXPECT_EQ(DumpLines("removed", {"row"}), (Lines{"row 0 selected The Hours - Day | Noon", "row 1 The Hours - Day | Dusk"}));
  EXPECT_EQ(mini("removed").find("Dawn"), std::string::npos) << mini("removed");
}

// A track, the theme "RPM Red" and the skin "Carbon" chosen; the next start shows all three and
// the settings store holds both.
TEST_F(PopupActionsRunTest, ThemeAndSkinChosenAreKeptAcrossARestart) {
  StartLibrary();
  Run("waitfor message 15\n"
      "softkey left\ntext Dawn\nkey Enter\n"
      "key Enter\nkey Enter\n"
      "waitfor message 12024 20000\n"
      "menu \"Color Themes... (C key)\"\ndump themes\n"
      "key Down\nkey Down\nkey Down\nkey Down\nkey Down\nkey Down\nkey Down\nkey Down\nkey Enter\n"
      "menu \"Player Skins...\"\ndump skins\n"
      "key Down\nkey Down\nkey Enter\ndump chosen\n"
      "quit\n", catalogue_.BaseUrl());
  EXPECT_EQ(DumpLines("themes", {"stack", "text J", "entry 4"}),
            (Lines{"stack application search listpopup", "text Jazzy Blue", "entry 4 current Jazzy Blue"}));
  EXPECT_EQ(DumpLines("skins", {"text", "entry"}),
            (Lines{"text Player Skins", "text Currently Selected:", "text Sunburst", "entry 0 selected None",
                   "entry 1 Aurora", "entry 2 Carbon", "entry 3 current Sunburst"}));
  EXPECT_EQ(DumpLines("chosen", {"stack"}), Lines{"stack application search"});

  Run("waitfor message 15\n"
      "post 1124 0 2\ndump playlist\n"
      "menu \"Color Themes... (C key)\"\ndump themes2\n"
      "menu Cancel\n"
      "menu \"Player Skins...\"\ndump skins2\n"
      "menu Cancel\n"
      "quit\n", catalogue_.BaseUrl());
  EXPECT_EQ(DumpLines("playlist", {"row"}), Lines{"row 0 selected The Hours - Day | Dawn"});
  EXPECT_EQ(DumpLines("themes2", {"text Currently", "text RPM", "entry 8"}),
            (Lines{"text Currently Selected:", "text RPM Red"}));
  EXPECT_EQ(DumpLines("skins2", {"text", "entry"}),
            (Lines{"text Player Skins", "text Currently Selected:", "text Carbon", "entry 0 selected None",
                   "entry 1 Aurora", "entry 2 current Carbon", "entry 3 Sunburst"}));
  platform::RegistryStore store(dir_ / "config");
  core::AppSettings settings(store, NoDeviceId);
  EXPECT_EQ(settings.overlayColor, 8u);
  EXPECT_EQ(settings.currentSkinName, u"Carbon");

  // Carbon's portrait picture gone: one message, no skin, and Carbon no longer offered.
  std::filesystem::copy(std::filesystem::path(VORNALO_PROGRAM).parent_path() / "qvga", dir_ / "res",
                        std::filesystem::copy_options::recursive);
  std::filesystem::remove(dir_ / "res/player/skins/portrait/p_Carbon.png");
  const apptest::ProgramResult gone = Run("waitfor message 15\n"
                                          "post 1124 0 3\npost 1124 0 2\npost 1124 0 3\ndump player\n"
                                          "post 1124 0 2\n"
                                          "menu \"Player Skins...\"\ndump skins3\n"
                                          "post 1930 0 2\n"  // no third skin: refused
                                          "dump refused\n",
                                          catalogue_.BaseUrl(), {"--resources", (dir_ / "res").string()});
  EXPECT_EQ(testsupport::CountOf(gone.out, "MessageBox: Skin File Missing"), 1u) << gone.out;
  EXPECT_EQ(DumpLines("player", {"tab"}), Lines{"tab 3 Player"});
  EXPECT_EQ(DumpLines("skins3", {"text", "entry"}),
            (Lines{"text Player Skins", "text Currently Selected:", "text None Selected", "entry 0 selected current None",
                   "entry 1 Aurora", "entry 2 Sunburst"}));
  EXPECT_EQ(DumpLines("refused", {"stack", "text None"}), (Lines{"stack application playlist listpopup", "text None Selected"}));
  EXPECT_EQ(core::AppSettings(store, NoDeviceId).currentSkinName, u"");
}

}  // namespace
