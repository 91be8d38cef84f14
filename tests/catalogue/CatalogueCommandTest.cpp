#include "tools/catalogue/CatalogueCommand.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/support/ScriptedServer.h"
#include "tests/support/TestSettings.h"

namespace {

using namespace testsupport;

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

Outcome RunCommand(const core::AppSettings& settings, std::vector<std::string> args) {
  args.insert(args.begin(), "vornalo-catalogue");
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  std::ostringstream out, err;
  int status = RunCatalogueCommand(static_cast<int>(argv.size()), argv.data(), settings, out, err);
  return {status, out.str(), err.str()};
}

std::string Contains(const std::string& text, const std::string& part) {
  return text.find(part) == std::string::npos ? "missing \"" + part + "\" in:\n" + text : "";
}

TEST(CatalogueCommandTest, PrintsWhatEachRequestReceived) {
  struct Case {
    std::vector<std::string> args;
    std::string reply;
    std::string requested;              // start of the request target
    std::vector<std::string> printed;  // parts of the output
  } cases[] = {
      {{"search", "a b&c", "--kinds", "1", "--start", "5", "--count", "3"},
       "<s><filter_count_total>57</filter_count_total><result_list_item><media>audio</media>"
       "<title>Song</title><creator>Ann</creator></result_list_item></s>",
       "/api/wm_app/search?q=a+b%26c&rm=1&rp=0&rv=0&rt=0&s=5&n=3&sk=",
       {"total: 57", "[5] AudioCue", "    title: Song", "    creator: Ann"}},
      {{"featured"},
       "<f><total_cuelist_count>1</total_cuelist_count><result_list_item><title>Hits</title>"
       "<item_count>12</item_count><playlist_id>p9</playlist_id></result_list_item></f>",
       "/api/wm_app/getAllFeaturedCueLists?random=",
       {"total: 1", "[0] CueList", "    title: Hits", "    item_count: 12", "playlist_id: p9"}},
      {{"tracks", "p9"},
       "<p><track><location>http://x/1.mp3</location><title>One</title></track></p>",
       "/api/wm_app/getPlaylist?playlist_id=p9&sk=",
       {"items: 1", "[0] AudioCue", "    location: http://x/1.mp3"}},
      {{"stream-url", "m1"}, "http://x/stream/1.mp3", "/api/wm_app/results?mp3_url_id=m1&sk=",
       {"stream URL: http://x/stream/1.mp3"}},
  };
  TestSettings settings;
  for (Case& c : cases) {
    ScriptedServer server(Reply(HttpResponse(c.reply)));
    std::vector<std::string> args = {"--server", server.Url("")};
    args.insert(args.end(), c.args.begin(), c.args.end());
    Outcome outcome = RunCommand(settings.settings, args);
    EXPECT_EQ(outcome.status, 0) << c.args[0] << outcome.err;
    for (const std::string& part : c.printed) EXPECT_EQ(Contains(outcome.out, part), "");
    ASSERT_TRUE(server.WaitForFinished(1, std::chrono::seconds(5)));
    EXPECT_EQ(Contains(server.Requests().at(0), "GET " + c.requested), "");
  }
}

TEST(CatalogueCommandTest, ExitStatusTellsBadArgumentsFromAnUnreachableServer) {
  TestSettings settings;
  const std::string closed = RefusingUrl("");
  struct Case {
    std::vector<std::string> args;
    int status;
  } cases[] = {
      {{"--help"}, 0}, {{"--server", closed, "featured"}, 1}, {{"--server", closed, "stream-url", "m1"}, 1}, {{}, 2},
      {{"featured"}, 2}, {{"--server", closed}, 2}, {{"--server", closed, "search"}, 2},
      {{"--server", closed, "featured", "extra"}, 2}, {{"--server", closed, "play", "x"}, 2},
      {{"--server", closed, "search", "x", "--kinds", "9"}, 2},
      {{"--server", closed, "search", "x", "--count", "ten"}, 2}, {{"--server", closed, "search", "x", "--start"}, 2},
      {{"--server", "ftp://h", "featured"}, 2}, {{"--server", "http://h x", "featured"}, 2},
      {{"--server", closed, "--verbose", "featured"}, 2},
  };
  for (const Case& c : cases) {
    Outcome outcome = RunCommand(settings.settings, c.args);
    std::string shown;
    for (const std::string& arg : c.args) shown += arg + " ";
    EXPECT_EQ(outcome.status, c.status) << shown << outcome.err;
    if (c.status == 2) {
      EXPECT_EQ(Contains(outcome.err, "usage: vornalo-catalogue"), "") << shown;
    }
  }
}

}  // namespace
