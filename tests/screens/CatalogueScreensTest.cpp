// The search, featured and new-search screens of the real program, scripted against a catalogue
// server replying per connection (version check, first featured page, then the script's asks).

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <regex>
#include <string>
#include <vector>

#include "tests/app/ProgramRun.h"
#include "tests/support/ScriptedServer.h"

namespace {

using testsupport::HttpResponse;
using testsupport::Reply;
using testsupport::ServerScript;
using Lines = std::vector<std::string>;

const std::string kServerProblem =
    "MessageBox: Server Problem: There is a connection problem to the Vornalo servers. Please try search again later.";
const std::string kNoResults = "MessageBox: No Results: No Results Found";

std::string Audio(const std::string& title, const std::string& creator, const std::string& album) {
  return "<result_list_item><media>audio</media><title>" + title + "</title><creator>" + creator +
         "</creator><album>" + album + "</album><location>http://m/" + title + ".mp3</location></result_list_item>";
}
std::string CueList(const std::string& title, int count) {
  return "<result_list_item><media>playlist</media><title>" + title + "</title><item_count>" + std::to_string(count) +
         "</item_count><playlist_id>p</playlist_id><location>http://m/list</location></result_list_item>";
}
std::string Text(const std::string& title) {
  return "<result_list_item><media>text</media><title>" + title +
         "</title><location>http://w/" + title + "</location></result_list_item>";
}
ServerScript Search(int total, const std::vector<std::string>& items = {}) {
  std::string body = "<search><filter_count_total>" + std::to_string(total) + "</filter_count_total>";
  for (const std::string& item : items) body += item;
  return Reply(HttpResponse(body + "</search>"));
}
// Results named R<first> .. R<first + count - 1>, AudioCues by one artist.
ServerScript SearchPage(int total, int first, int count) {
  std::vector<std::string> items;
  for (int i = first; i < first + count; ++i) items.push_back(Audio("R" + std::to_string(i), "Artist", "Album"));
  return Search(total, items);
}
ServerScript Featured(int total, const std::vector<std::pair<std::string, std::string>>& titleAndDate) {
  std::string body = "<featured><total_cuelist_count>" + std::to_string(total) + "</total_cuelist_count>";
  int n = 0;
  for (const auto& [title, date] : titleAndDate) {
    body += "<result_list_item><title>" + title + "</title><playlist_id>f" + std::to_string(n++) +
            "</playlist_id><publish_date>" + date + "</publish_date><item_count>4</item_count>"
            "<location>http://m/f</location></result_list_item>";
  }
  return Reply(HttpResponse(body + "</featured>"));
}
// The connection closes without a reply.
ServerScript Silent() { return {testsupport::ReadRequest(), testsupport::Close()}; }
const ServerScript kVersionOk = Reply(HttpResponse("", "text/plain"));
const ServerScript kNoFeatured = Featured(0, {});

class CatalogueScreensTest : public apptest::ClientRunTest {
 protected:
  CatalogueScreensTest() : browser_(dir_.Path()) {}

  apptest::ProgramResult Run(const std::string& script, const std::vector<std::string>& args) {
    apptest::ProgramResult result = RunClient(script, args, {{"VORNALO_BROWSER", browser_.Program()}});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out.find("script error"), std::string::npos) << result.out;
    return result;
  }
  apptest::ProgramResult Run(const std::string& script, const testsupport::ScriptedServer& server) {
    return Run(script, {"--server", server.Url("")});
  }
  Lines Only(const std::string& name, const char* prefix) const { return DumpLines(name, {prefix}); }

  apptest::BrowserRecorder browser_;
};

Lines MessageBoxes(const std::string& out) {
  Lines boxes;
  std::istringstream in(out);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("MessageBox: ", 0) == 0) boxes.push_back(line);
  }
  return boxes;
}

// The first group of `pattern` in each request that matches it, in order.
Lines RequestKeys(const testsupport::ScriptedServer& server, const char* pattern) {
  Lines out;
  const std::regex key(pattern);
  for (const std::string& request : server.Requests()) {
    std::smatch match;
    if (std::regex_search(request, match, key)) out.push_back(match[1]);
  }
  return out;
}
// The query keys of each search request (from "q=" to the paging), in order.
Lines SearchQueries(const testsupport::ScriptedServer& server) {
  return RequestKeys(server, "search\\?(q=[^ ]*&n=[0-9]+)");
}

// Panel keys and entries, failed, empty and successful searches, and the three kinds of rows.
TEST_F(CatalogueScreensTest, SearchOutcomesKindsAndRows) {
  testsupport::ScriptedServer server(std::vector<ServerScript>{
      kVersionOk, kNoFeatured, Silent(),
      Search(7, {Audio("Only Creator", "Creator", ""), Audio("Only Album", "", "Album"), Audio("Both", "Creator", "Album"),
                 CueList("My List", 12), Text("Subject")}), Silent(), Search(0), Search(0)});
  const apptest::ProgramResult result = Run(
      "softkey left\ndump open.txt\n"
      "screenshot " + (dir_ / "open.png").string() + "\n" +
      [] { std::string keys; for (int i = 0; i < 20; ++i) keys += "key Down\nkey Up\n"; return keys; }() +
      "screenshot " + (dir_ / "updown.png").string() + "\n"
      "text ab\nkey Down\ntext c\ndump typed.txt\n"
      "key Up\nkey Enter\ndump failed.txt\n"
      "softkey left\nkey Down\nkey Enter\ndump found.txt\n"
      "post 1924\n"                                 // an article, but an AudioCue is selected
      "post 1927\n"                                 // the store search for its artist and title
      "key Down\nkey Down\nkey Down\nkey Down\n"
      "post 1927\n"                                 // a store search, but a TextCue is selected
      "post 1924\n"                                 // its article
      "softkey left\nkey Down\nkey Enter\ndump failed-again.txt\n"
      "softkey left\nkey Down\nkey Enter\n"
      "softkey left\nkey Delete\nkey Enter\ndump empty-query.txt\n", server);

  EXPECT_EQ(Only("open.txt", "stack"), Lines{"stack application featured newsearch"});
  Lines panel = DumpLines("open.txt");
  panel.erase(panel.begin(), std::find(panel.begin(), panel.end(), "title New Search"));
  EXPECT_EQ(panel, (Lines{"title New Search", "text Enter a Song or Artist:", "field ",
                          "entry 0 selected Search: All Results", "entry 1 Search: AudioCues",
                          "entry 2 Search: CueLists", "entry 3 Search: TextCues"}));
  // Up and Down within the rows shown leave the query field's soft rim as it was drawn.
  EXPECT_EQ(apptest::DifferingPixels(dir_ / "open.png", dir_ / "updown.png", {16, 81, 226, 119}, {23, 92, 219, 107}), 0);
  // "c" was typed after Down at the caret's old place, the end.
  EXPECT_EQ(Only("typed.txt", "field"), Lines{"field abc"});
  EXPECT_EQ(Only("typed.txt", "entry 1"), Lines{"entry 1 selected Search: AudioCues"});

  EXPECT_EQ(MessageBoxes(result.out), (Lines{kServerProblem, kServerProblem, kNoResults, kNoResults}));
  // All, AudioCues, CueLists, TextCues, then TextCues again with the field emptied.
  EXPECT_EQ(SearchQueries(server), (Lines{"q=abc&rm=1&rp=1&rv=0&rt=1&s=0&n=5", "q=abc&rm=1&rp=0&rv=0&rt=0&s=0&n=5",
                                          "q=abc&rm=0&rp=1&rv=0&rt=0&s=0&n=5", "q=abc&rm=0&rp=0&rv=0&rt=1&s=0&n=5",
                                          "q=&rm=0&rp=0&rv=0&rt=1&s=0&n=5"}));

  const Lines emptyList{"title ", "text Please use the \u201CNew Search\u201D option below to search for an Audio "
                        "Title, Artist Name, CueList Name, or Subject.  Results will be displayed here."};
  for (const char* failed : {"failed.txt", "failed-again.txt", "empty-query.txt"}) {
    SCOPED_TRACE(failed);
    EXPECT_EQ(Only(failed, "tab"), Lines{"tab 0 Search Results"});
    Lines shown = DumpLines(failed);
    shown.erase(shown.begin(), std::find_if(shown.begin(), shown.end(), [](const std::string& l) { return l.rfind("title", 0) == 0; }));
    EXPECT_EQ(shown, emptyList);
  }
  EXPECT_EQ(Only("found.txt", "title"), Lines{"title Results for: abc"});
  EXPECT_EQ(Only("found.txt", "row"),
            (Lines{"row 0 selected Creator | Only Creator", "row 1 Album | Only Album", "row 2 Creator - Album | Both",
                   "row 3 Cuelist - 12 total items | My List", "row 4 Wikipedia Article | Subject"}));
  EXPECT_EQ(Only("found.txt", "page"), Lines{"page Page 1 / 2 | 7 items"});
  ASSERT_TRUE(browser_.WaitForUrls(2));
  Lines browsed = browser_.Urls();
  std::sort(browsed.begin(), browsed.end());  // two browsers, each logging when it runs
  EXPECT_EQ(browsed, (Lines{"http://store.vornalo.com/s/ref=nb_ss_m?url=search-alias%3Dmusic-artist&"
                                    "field-keywords=Creator+Only+Creator",
                                    "http://w/Subject"}));
}

// Seven results: keys page across the ends, rotation keeps the selected result on 3-row pages.
TEST_F(CatalogueScreensTest, PagingByKeyRotationAndActivation) {
  testsupport::ScriptedServer server(std::vector<ServerScript>{kVersionOk, kNoFeatured, SearchPage(7, 0, 5),
                                                               SearchPage(7, 5, 2), SearchPage(7, 0, 5),
                                                               SearchPage(7, 3, 3)});
  Run("softkey left\ntext q\nkey Enter\n"
      "key Down\nkey Down\nkey Down\nkey Down\ndump p1.txt\n"
      "key Down\ndump p2.txt\n"
      "key Down\nkey Down\ndump p2-end.txt\n"
      "key Up\nkey Up\ndump back.txt\n"
      "key Up\nrotate\ndump rotated.txt\n"
      "key Enter\ndump popup.txt\n"
      "menu Cancel\nsoftkey left\ndump panel.txt\n"
      "key Down\nkey Down\nkey Down\ndump paged.txt\n", server);
  EXPECT_EQ(SearchQueries(server), (Lines{"q=q&rm=1&rp=1&rv=0&rt=1&s=0&n=5", "q=q&rm=1&rp=1&rv=0&rt=1&s=5&n=5",
                                          "q=q&rm=1&rp=1&rv=0&rt=1&s=0&n=5", "q=q&rm=1&rp=1&rv=0&rt=1&s=3&n=3"}));
  EXPECT_EQ(Only("p1.txt", "row 4"), Lines{"row 4 selected Artist - Album | R4"});
  const Lines lastPage{"row 0 selected Artist - Album | R5", "row 1 Artist - Album | R6"};
  EXPECT_EQ(Only("p2.txt", "row"), lastPage);
  EXPECT_EQ(Only("p2.txt", "page"), Lines{"page Page 2 / 2 | 7 items"});
  EXPECT_EQ(Only("p2-end.txt", "row"), (Lines{"row 0 Artist - Album | R5", "row 1 selected Artist - Album | R6"}));
  EXPECT_EQ(Only("back.txt", "row 4"), Lines{"row 4 selected Artist - Album | R4"});
  EXPECT_EQ(Only("rotated.txt", "row"),
            (Lines{"row 0 selected Artist - Album | R3", "row 1 Artist - Album | R4", "row 2 Artist - Album | R5"}));
  EXPECT_EQ(Only("rotated.txt", "page"), Lines{"page Page 2 / 3 | 7 items"});
  EXPECT_EQ(Only("rotated.txt", "title"), Lines{"title Results for: q"});
  EXPECT_EQ(Only("popup.txt", "stack"), Lines{"stack application search itempopup"});
  // The landscape panel shows three entries and reaches the fourth by paging.
  EXPECT_EQ(Only("panel.txt", "entry"), (Lines{"entry 0 selected Search: All Results", "entry 1 Search: AudioCues",
                                                "entry 2 Search: CueLists"}));
  EXPECT_EQ(Only("paged.txt", "entry"), Lines{"entry 3 selected Search: TextCues"});

  // A total near 2^31: the page count does not overflow and the next button turns the page.
  testsupport::ScriptedServer huge(std::vector<ServerScript>{kVersionOk, kNoFeatured, SearchPage(2147483647, 0, 5),
                                                             SearchPage(2147483647, 5, 5)});
  Run("softkey left\ntext q\nkey Enter\ndump huge1.txt\ntap 222 51\ndump huge2.txt\n", huge);
  EXPECT_EQ(Only("huge1.txt", "page"), Lines{"page Page 1 / 429496730 | 2147483647 items"});
  EXPECT_EQ(Only("huge2.txt", "page"), Lines{"page Page 2 / 429496730 | 2147483647 items"});
  EXPECT_EQ(Only("huge2.txt", "row 0"), Lines{"row 0 selected Artist - Album | R5"});
}

// Featured: date ranges, a page of one shared date, rotation with the seventh CueList selected.
TEST_F(CatalogueScreensTest, FeaturedDatesPagingAndRotation) {
  testsupport::ScriptedServer server(std::vector<ServerScript>{
      kVersionOk,
      Featured(7, {{"F0", "2008-11-03"}, {"F1", "2008-11-05"}, {"F2", "2008-11-09"}, {"F3", "2008-11-12"},
                   {"F4", "2008-11-17"}}),
      Featured(7, {{"F5", "2008-12-01"}, {"F6", "2008-12-01"}}), Featured(7, {{"F6", "2008-12-01"}})});
  Run("dump f1.txt\n"
      "key Down\nkey Down\nkey Down\nkey Down\nkey Down\ndump f2.txt\n"
      "key Down\nrotate\ndump f3.txt\n", server);
  EXPECT_EQ(RequestKeys(server, "getAllFeaturedCueLists\\?random=[0-9]+&(s=[0-9]+&n=[0-9]+)"), (Lines{"s=0&n=5", "s=5&n=5", "s=6&n=3"}));
  EXPECT_EQ(Only("f1.txt", "tab"), Lines{"tab 1 Featured"});
  EXPECT_EQ(Only("f1.txt", "title"), Lines{"title Nov. 3, 2008 - Nov. 17, 2008"});
  EXPECT_EQ(Only("f1.txt", "row 0"), Lines{"row 0 selected Cuelist - 4 total items | F0"});
  EXPECT_EQ(Only("f1.txt", "row").size(), 5u);
  EXPECT_EQ(Only("f1.txt", "page"), Lines{"page Page 1 / 2 | 7 items"});
  EXPECT_EQ(Only("f2.txt", "title"), Lines{"title Dec. 1, 2008"});
  EXPECT_EQ(Only("f2.txt", "row"), (Lines{"row 0 selected Cuelist - 4 total items | F5", "row 1 Cuelist - 4 total items | F6"}));
  EXPECT_EQ(Only("f3.txt", "row"), Lines{"row 0 selected Cuelist - 4 total items | F6"});
  EXPECT_EQ(Only("f3.txt", "page"), Lines{"page Page 3 / 3 | 7 items"});
  EXPECT_EQ(Only("f3.txt", "title"), Lines{"title Dec. 1, 2008"});
}

// Over the demo library: featured rows, a search, next page by button and back by a stroke.
TEST_F(CatalogueScreensTest, DemoLibraryScenario) {
  Run("waitfor text \"row 0 selected Cuelist\"\ndump start.txt\n"
      "softkey left\ndump panel.txt\n"
      "text Marrow\nkey Enter\n"
      "waitfor text \"Results for: Marrow\"\ndump page1.txt\n"
      "tap 222 51\ndump page2.txt\n"
      "stroke 120 90 120 200\ndump back.txt\n", {});
  EXPECT_EQ(Only("start.txt", "tab"), Lines{"tab 1 Featured"});
  EXPECT_FALSE(Only("start.txt", "page").empty());
  EXPECT_EQ(Only("panel.txt", "field"), Lines{"field "});
  const Lines page1 = Only("page1.txt", "row");
  ASSERT_EQ(page1.size(), 5u);
  EXPECT_EQ(page1[0].rfind("row 0 selected ", 0), 0u);
  const Lines pages = Only("page1.txt", "page");
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(pages[0].rfind("page Page 1 / 2 | ", 0), 0u) << pages[0];
  EXPECT_EQ(Only("page2.txt", "page")[0].rfind("page Page 2 / 2 | ", 0), 0u);
  EXPECT_NE(Only("page2.txt", "row"), page1);
  EXPECT_EQ(Only("back.txt", "row"), page1);
  EXPECT_EQ(Only("back.txt", "page"), pages);
}

}  // namespace
