// The catalogue server over HTTP on loopback: every endpoint, paging, streams, and hostile input.

#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "tests/server/LiveServer.h"
#include "tests/server/XmlProbe.h"

namespace {

using namespace servertest;

constexpr int kPagingTracks = 24;

class ServerHttpTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    library_ = std::make_unique<TestLibrary>();
    for (int i = 0; i < kPagingTracks; ++i) {
      library_->AddTrack({"Pager/Pages/" + std::to_string(i) + ".mp3", "Paging Song " + std::to_string(i), "Pager",
                          "Pages", "Testing", "", 0.2});
    }
    library_->AddTrack({"Marrow/salt.mp3", "Salt & Pepper", "Marrow & Tide", "Condiments", "Folk", "Ølberg"});
    library_->AddTrack({"Marrow/long.mp3", "Long Tide", "Marrow & Tide", "Condiments", "Folk", "", 1.0, 20});
    library_->AddTrack({"odd.mp3", "Less <than> & ]]> \x01" " end", "Ctl\x02" "Artist", "", "", ""});
    library_->AddPlaylist("featured/First.m3u", {"../Marrow/long.mp3", "../gone.mp3", "../Marrow/salt.mp3"},
                          "2010-01-02");
    library_->AddPlaylist("featured/Second.m3u", {"../Pager/Pages/3.mp3"}, "2011-05-06");
    library_->AddPlaylist("Marrow Mix.m3u", {"Marrow/salt.mp3"});
    server_ = std::make_unique<LiveServer>(*library_, 30, "optional,http://example.invalid/new");
    ASSERT_TRUE(server_->Started());
  }
  static void TearDownTestSuite() {
    server_.reset();
    library_.reset();
  }

  static XmlProbe GetXml(const std::string& target) {
    const HttpResult result = Get(server_->Port(), target);
    EXPECT_TRUE(result.closed) << target;
    EXPECT_EQ(result.status, 200) << target;
    XmlProbe probe = XmlProbe::Parse(result.body);
    EXPECT_TRUE(probe.wellFormed) << target << "\n" << result.body;
    return probe;
  }
  static std::string TrackId(const std::string& encodedTitle) {
    const auto ids = GetXml(SearchTarget(encodedTitle, 0, 10, 1)).Texts("mp3_url_id");
    return ids.size() == 1 ? ids[0] : "";
  }
  static uint16_t Port() { return server_->Port(); }

  static std::unique_ptr<TestLibrary> library_;
  static std::unique_ptr<LiveServer> server_;
};

std::unique_ptr<TestLibrary> ServerHttpTest::library_;
std::unique_ptr<LiveServer> ServerHttpTest::server_;

TEST_F(ServerHttpTest, VersionCheckRepliesTheConfiguredText) {
  const HttpResult result = Get(Port(), "/mobile/wm/downloads/version.php?v=1.4&p=2&r=1");
  EXPECT_TRUE(result.closed);
  EXPECT_EQ(result.status, 200);
  EXPECT_EQ(result.body, "optional,http://example.invalid/new");
}

TEST_F(ServerHttpTest, FeaturedCueListsNewestFirstWithDatesAndCounts) {
  const XmlProbe probe = GetXml(FeaturedTarget(0, 10));
  EXPECT_EQ(probe.Texts("total_cuelist_count"), std::vector<std::string>{"2"});
  EXPECT_EQ(probe.Texts("title"), (std::vector<std::string>{"Second", "First"}));
  EXPECT_EQ(probe.Texts("publish_date"), (std::vector<std::string>{"2011-05-06", "2010-01-02"}));
  EXPECT_EQ(probe.Texts("item_count"), (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(probe.Count("uid"), 2u);
  const XmlProbe second = GetXml(FeaturedTarget(1, 1));
  EXPECT_EQ(second.Texts("title"), std::vector<std::string>{"First"});
  EXPECT_EQ(second.Texts("total_cuelist_count"), std::vector<std::string>{"2"});
}

TEST_F(ServerHttpTest, CueListTracksInPlaylistOrderEachOpeningWithLocation) {
  const XmlProbe featured = GetXml(FeaturedTarget(1, 1));
  ASSERT_EQ(featured.Texts("playlist_id").size(), 1u);
  const XmlProbe tracks = GetXml(PlaylistTarget(featured.Texts("playlist_id")[0]));
  EXPECT_EQ(tracks.Texts("title"), (std::vector<std::string>{"Long Tide", "Salt & Pepper"}));
  for (size_t i = 0; i < tracks.elements.size(); ++i) {
    if (tracks.elements[i].name == "track") {
      ASSERT_LT(i + 1, tracks.elements.size());
      EXPECT_EQ(tracks.elements[i + 1].name, "location");
    }
  }
  EXPECT_EQ(GetXml(PlaylistTarget("424242")).Count("error"), 1u);
}

TEST_F(ServerHttpTest, SearchFiltersByKind) {
  struct Case {
    int kinds;
    std::vector<std::string> media;
  };
  // "marrow": the artist (a TextCue), the playlist "Marrow Mix", and two tracks.
  const Case cases[] = {
      {7, {"text", "playlist", "audio", "audio"}},
      {1, {"audio", "audio"}},
      {2, {"playlist"}},
      {4, {"text"}},
      {6, {"text", "playlist"}},
  };
  for (const Case& c : cases) {
    const XmlProbe probe = GetXml(SearchTarget("marrow", 0, 10, c.kinds));
    EXPECT_EQ(probe.Texts("media"), c.media) << "kinds " << c.kinds;
    EXPECT_EQ(probe.Texts("filter_count_total"), std::vector<std::string>{std::to_string(c.media.size())});
  }
}

TEST_F(ServerHttpTest, PagingAcrossThreePages) {
  std::set<std::string> seen;
  const size_t expected[] = {10, 10, 4};
  for (int page = 0; page < 3; ++page) {
    const XmlProbe probe = GetXml(SearchTarget("paging+song", page * 10, 10, 1));
    EXPECT_EQ(probe.Texts("filter_count_total"), std::vector<std::string>{std::to_string(kPagingTracks)});
    EXPECT_EQ(probe.Count("result_list_item"), expected[page]) << "page " << page;
    for (const std::string& id : probe.Texts("song_id")) seen.insert(id);
  }
  EXPECT_EQ(seen.size(), static_cast<size_t>(kPagingTracks)) << "every track once over the pages";
}

TEST_F(ServerHttpTest, StreamUrlLookupAndStreamBytes) {
  const std::string id = TrackId("long+tide");
  ASSERT_FALSE(id.empty());
  const HttpResult lookup = Get(Port(), ResultsTarget(id));
  const std::string url = "http://127.0.0.1:" + std::to_string(Port()) + "/stream/" + id + ".mp3";
  EXPECT_EQ(lookup.body, url);
  EXPECT_EQ(Get(Port(), ResultsTarget("999999")).body, "not_available");

  const std::string file = testsupport::ReadFile(*library_ / "Marrow/long.mp3");
  ASSERT_GT(file.size(), 20000u);
  const HttpResult stream = Get(Port(), url.substr(url.find("/stream/")));
  EXPECT_TRUE(stream.closed);
  EXPECT_EQ(stream.status, 200);
  EXPECT_EQ(stream.Header("Content-Type"), "audio/mpeg");
  EXPECT_EQ(stream.Header("Content-Length"), std::to_string(file.size()));
  EXPECT_TRUE(stream.body == file) << "the stream is the file, byte for byte";

  const HttpResult tail = Get(Port(), "/stream/" + id + ".mp3", "Range: bytes=1000-\r\n");
  EXPECT_EQ(tail.status, 206);
  EXPECT_EQ(tail.Header("Content-Range"), "bytes 1000-" + std::to_string(file.size() - 1) + "/" +
                                              std::to_string(file.size()));
  EXPECT_TRUE(tail.body == file.substr(1000));
  EXPECT_EQ(Get(Port(), "/stream/" + id + ".mp3", "Range: bytes=99999999-\r\n").status, 416);
}

TEST_F(ServerHttpTest, StreamIdsThatAreNotRowIdsAreRefused) {
  for (const char* target : {"/stream/../../etc/passwd", "/stream/..%2f..%2fetc%2fpasswd.mp3",
                             "/stream/%2e%2e/%2e%2e/etc/passwd.mp3", "/stream//etc/passwd.mp3",
                             "/stream/%2Fetc%2Fpasswd.mp3", "/stream/1.mp3/../../x.mp3", "/stream/-1.mp3",
                             "/stream/.mp3", "/../../etc/passwd", "/stream/999999.mp3"}) {
    const HttpResult result = Get(Port(), target);
    EXPECT_TRUE(result.closed) << target;
    EXPECT_TRUE(result.status == 404 || result.status == 400) << target << " gave " << result.status;
    EXPECT_EQ(result.body.find("root:"), std::string::npos);
  }
  EXPECT_EQ(Get(Port(), ResultsTarget("..%2F..%2Fetc%2Fpasswd")).body, "not_available");
}

TEST_F(ServerHttpTest, HostileQueriesGetWellFormedReplies) {
  const std::string tenKilobytes(10240, 'x');
  for (const std::string& query :
       {std::string("%22unbalanced"), std::string("hello+AND"), std::string("NEAR%28"), std::string("*"),
        std::string("-hello"), std::string("title%3Ax"), std::string("%00"), std::string("a%00b"),
        std::string("%FF%FE"), std::string("%27%3B+DROP+TABLE+tracks%3B--"), tenKilobytes, std::string("")}) {
    const XmlProbe probe = GetXml(SearchTarget(query, 0, 10));
    EXPECT_EQ(probe.Count("filter_count_total"), 1u) << query.substr(0, 40);
  }
  EXPECT_EQ(GetXml(SearchTarget("paging", 0, 1)).Texts("filter_count_total"),
            std::vector<std::string>{std::to_string(kPagingTracks)})
      << "the index is intact";
}

TEST_F(ServerHttpTest, HostileTagsAndAmpersandsArriveWhole) {
  const XmlProbe odd = GetXml(SearchTarget("less+than", 0, 10, 1));
  EXPECT_EQ(odd.Texts("title"), std::vector<std::string>{"Less <than> & ]]>  end"});
  EXPECT_EQ(odd.Texts("creator"), std::vector<std::string>{"CtlArtist"});
  const XmlProbe salt = GetXml(SearchTarget("salt+%26+pepper", 0, 10, 1));
  EXPECT_EQ(salt.Texts("title"), std::vector<std::string>{"Salt & Pepper"});
  EXPECT_EQ(salt.Texts("creator"), std::vector<std::string>{"Marrow & Tide"});
  EXPECT_EQ(salt.Texts("composer"), std::vector<std::string>{"\xC3\x98lberg"});
}

TEST_F(ServerHttpTest, EveryReplyClosesItsConnection) {
  const std::string search = SearchTarget("paging", 0, 1);
  for (const std::string& request :
       {"GET " + search + " HTTP/1.0\r\n\r\n", "GET " + search + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n",
        "GET " + search + " HTTP/1.1\r\nHost: x\r\nConnection: keep-alive\r\n\r\n"}) {
    const HttpResult result = Exchange(Port(), request);
    EXPECT_TRUE(result.closed) << request;
    EXPECT_EQ(result.status, 200);
    EXPECT_EQ(result.Header("Connection"), "close");
  }
  EXPECT_EQ(Exchange(Port(), "POST /api/wm_app/search HTTP/1.0\r\nContent-Length: 3\r\n\r\nabc").status, 405);
  EXPECT_EQ(Get(Port(), "/nothing/here").status, 404);
  EXPECT_TRUE(Exchange(Port(), "garbage\r\n\r\n").closed);
}

}  // namespace
