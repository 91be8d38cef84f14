#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <string>

#include "catalogue/CueListTracksRequest.h"
#include "catalogue/FeaturedCueListsRequest.h"
#include "catalogue/SearchRequest.h"
#include "tests/catalogue/HttpTestSupport.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TestSettings.h"

namespace {

using namespace testsupport;

std::string SearchReply(int total, int items) {
  std::string body = "<search><filter_count_total>" + std::to_string(total) + "</filter_count_total>";
  for (int i = 0; i < items; ++i) {
    body += "<result_list_item><media>audio</media><title>T" + std::to_string(i) + "</title></result_list_item>";
  }
  return HttpResponse(body + "</search>");
}

// The request line's target of the server's recorded request `index`.
std::string RequestedPath(const ScriptedServer& server, std::size_t index) {
  std::string request = server.Requests().at(index);
  std::size_t begin = request.find(' ') + 1;
  return request.substr(begin, request.find(' ', begin) - begin);
}

class CatalogueRequestTest : public ::testing::Test {
 protected:
  std::string Identity() const {
    return "&sk=" + std::string(core::AppSettings::BuiltInApiKey()) + "&v=1.4&di=" + settings_.settings.deviceId;
  }
  TestSettings settings_;
};

TEST_F(CatalogueRequestTest, SearchUrlCarriesQueryKindsPagingAndIdentity) {
  ScriptedServer server(Reply(SearchReply(3, 3)));
  catalogue::SearchRequest search(server.Url(""), settings_.settings, ShortHttpOptions());
  search.pageSize = 10;
  search.buildUrl(catalogue::SearchRequest::EncodeQuery("a b&c").c_str());
  EXPECT_EQ(search.url(), server.Url("/api/wm_app/search?q=a+b%26c&rm=1&rp=1&rv=0&rt=1&s=0&n=10") + Identity());
  EXPECT_EQ(search.run(0), 1);
  ASSERT_TRUE(server.WaitForFinished(1, std::chrono::seconds(5)));
  EXPECT_EQ(server.Url(RequestedPath(server, 0)), search.url());
  EXPECT_EQ(search.resultCount(), 3u);

  search.rv = 1;
  search.setResultKinds(2);
  search.buildUrl("");
  EXPECT_NE(search.url().find("?q=&rm=0&rp=1&rv=1&rt=0&"), std::string::npos);
  search.setResultKinds(5);
  search.buildUrl("x");
  EXPECT_NE(search.url().find("&rm=1&rp=0&rv=1&rt=1&"), std::string::npos);
}

TEST_F(CatalogueRequestTest, PagingAsksForTheRightPageOrNothing) {
  struct Case {
    int start, pageSize, total;
    bool next;     // nextPage, else previousPage
    int expected;  // s of the new request; -1 for none
  } cases[] = {{20, 10, 30, true, -1}, {20, 10, 31, true, 30}, {5, 10, 31, false, 0},
               {0, 10, 31, false, -1}, {30, 10, 40, false, 20}};
  for (const Case& c : cases) {
    ScriptedServer server(Reply(SearchReply(c.total, 1)));
    catalogue::SearchRequest search(server.Url(""), settings_.settings, ShortHttpOptions());
    search.pageSize = c.pageSize;
    search.startIndex = c.start;
    search.buildUrl("q");
    ASSERT_EQ(search.run(c.start), 1);
    ASSERT_EQ(search.totalCount, c.total);
    int ran = c.next ? search.nextPage() : search.previousPage();
    ASSERT_TRUE(server.WaitForFinished(ran ? 2 : 1, std::chrono::seconds(5)));
    if (c.expected < 0) {
      EXPECT_EQ(ran, 0);
      EXPECT_EQ(server.AcceptedCount(), 1);
      EXPECT_EQ(search.startIndex, c.start);
      continue;
    }
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(search.startIndex, c.expected);
    std::string path = RequestedPath(server, 1);
    EXPECT_NE(path.find("?q=q&"), std::string::npos) << path;
    EXPECT_NE(path.find("&s=" + std::to_string(c.expected) + "&n=10&"), std::string::npos) << path;
  }
}

TEST_F(CatalogueRequestTest, FeaturedUrlsCarryANewRandomValueEachTime) {
  catalogue::FeaturedCueListsRequest featured("http://127.0.0.1:9/", settings_.settings);
  featured.pageSize = 6;
  featured.startIndex = 12;
  const std::regex shape(
      R"(http://127\.0\.0\.1:9/api/wm_app/getAllFeaturedCueLists\?random=(\d{1,4})&s=12&n=6&sk=.*)");
  std::string previous;
  for (int i = 0; i < 50; ++i) {
    featured.buildUrl(nullptr);
    std::smatch match;
    ASSERT_TRUE(std::regex_match(featured.url(), match, shape)) << featured.url();
    EXPECT_NE(match[1].str(), previous);
    previous = match[1].str();
  }
  EXPECT_EQ(featured.url().substr(featured.url().find("&sk=")), Identity());
}

// The 127-byte cut splits neither an escape nor a character, escaped or raw.
TEST_F(CatalogueRequestTest, RequestTextIsCutWithoutSplittingAnEscapeOrACharacter) {
  const std::string shcha = "%D0%A9", euro = "%E2%82%AC", note = "%F0%9F%8E%B5";
  struct Case {
    std::string text;
    std::string kept;
  } cases[] = {
      {std::string(126, 'a') + "%41", std::string(126, 'a')},
      {std::string(124, 'a') + "%41", std::string(124, 'a') + "%41"},
      {std::string(125, 'a') + "%41", std::string(125, 'a')},
      {std::string(200, 'b'), std::string(127, 'b')},
      {std::string(118, 'a') + shcha + shcha, std::string(118, 'a') + shcha},
      {std::string(121, 'a') + shcha + shcha, std::string(121, 'a') + shcha},
      {std::string(115, 'a') + euro + euro, std::string(115, 'a') + euro},
      {std::string(109, 'a') + euro + euro, std::string(109, 'a') + euro + euro},
      {std::string(112, 'a') + note + note, std::string(112, 'a') + note},
      {std::string(126, 'a') + "\xD0\xA9", std::string(126, 'a')},
      {std::string(124, 'a') + "\xE2\x82\xAC", std::string(124, 'a') + "\xE2\x82\xAC"},
  };
  catalogue::SearchRequest search("http://h", settings_.settings);
  for (const Case& c : cases) {
    search.buildUrl(c.text.c_str());
    EXPECT_EQ(std::string(search.requestText()), c.kept) << c.text;
  }
  catalogue::CueListTracksRequest tracks("http://h", settings_.settings);
  tracks.buildUrl("pl 1&x=2");
  EXPECT_EQ(tracks.url(), "http://h/api/wm_app/getPlaylist?playlist_id=pl+1%26x%3D2" + Identity());
}

TEST_F(CatalogueRequestTest, FailedFetchesLeaveAnEmptyListAndTheLastTotal) {
  ScriptedServer server(std::vector<ServerScript>{Reply(SearchReply(12, 2)), Reply("HTTP/1.0 500 Oops\r\n\r\n"),
                                                  ServerScript{ReadRequest(), Close()}});
  catalogue::SearchRequest search(server.Url(""), settings_.settings, ShortHttpOptions());
  search.pageSize = 2;
  search.buildUrl("q");
  ASSERT_EQ(search.run(0), 1);
  ASSERT_EQ(search.resultCount(), 2u);
  for (int attempt = 0; attempt < 2; ++attempt) {
    auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(search.run(0), 1);  // the server answered, with nothing
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(1));
    EXPECT_EQ(search.resultCount(), 0u);
    EXPECT_EQ(search.totalReceived, 0);
    EXPECT_EQ(search.totalCount, 12);
  }
  server.Stop();
  EXPECT_EQ(search.run(0), 0);  // nobody listens any more
  EXPECT_EQ(search.resultCount(), 0u);
}

}  // namespace
