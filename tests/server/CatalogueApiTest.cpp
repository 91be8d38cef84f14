#include "server/CatalogueApi.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "server/CatalogueIndex.h"
#include "tests/server/XmlProbe.h"

namespace {

using servertest::XmlProbe;
using Map = std::map<std::string, std::string>;

// A request given as plain maps, for driving the API without sockets.
struct FakeRequest : server::HttpRequest {
  FakeRequest(std::string requestPath, Map requestArguments = {}, Map requestHeaders = {})
      : path(std::move(requestPath)), arguments(std::move(requestArguments)), headers(std::move(requestHeaders)) {}
  std::string Method() const override { return "GET"; }
  std::string Path() const override { return path; }
  std::optional<std::string> Argument(const char* key) const override { return Find(arguments, key); }
  std::optional<std::string> Header(const char* name) const override { return Find(headers, name); }
  static std::optional<std::string> Find(const Map& map, const char* key) {
    const auto it = map.find(key);
    return it == map.end() ? std::nullopt : std::optional<std::string>(it->second);
  }
  std::string path;
  Map arguments, headers;
};

constexpr const char* kKey = "0123456789abcde";
constexpr int kTracks = 130;

// An index filled directly: "Zed Alpha" (artist), "Zed Beta" (album), "Zed List", kTracks tracks.
class CatalogueApiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(index_.Open(":memory:"));
    const int64_t generation = index_.BeginScan();
    for (int i = 0; i < kTracks; ++i) {
      server::TrackTags tags;
      tags.title = "Zed Track " + std::to_string(i);
      tags.creator = "Zed Alpha";
      tags.album = "Zed Beta";
      ASSERT_TRUE(index_.UpsertTrack("t" + std::to_string(i) + ".mp3", 1, 1, tags, generation));
    }
    server::PlaylistRow list;
    list.path = "Zed List.m3u";
    list.title = "Zed List";
    ASSERT_TRUE(index_.UpsertPlaylist(list, {"t1.mp3", "t0.mp3"}, generation));
    ASSERT_TRUE(index_.FinishScan(generation));
    api_.SetPort(4321);
  }

  XmlProbe Search(Map arguments) {
    arguments.emplace("sk", kKey);
    arguments.emplace("q", "zed");
    const server::HttpReply reply = api_.Handle(FakeRequest("/api/wm_app/search", arguments));
    EXPECT_EQ(reply.status, 200);
    XmlProbe probe = XmlProbe::Parse(reply.body);
    EXPECT_TRUE(probe.wellFormed) << reply.body;
    return probe;
  }

  server::CatalogueIndex index_;
  server::CatalogueQueries queries_{index_.Database()};
  server::CatalogueApiOptions options_{kKey, "", "https://wiki.invalid/wiki/", "", "127.0.0.1"};
  server::CatalogueApi api_{queries_, "/nonexistent", options_};
};

TEST_F(CatalogueApiTest, PageBoundsAreEnforced) {
  struct Case {
    const char* s;
    const char* n;
    size_t items;
  };
  const Case cases[] = {
      {"0", "10", 10}, {"0", "500", 100}, {"0", "-1", 0},     {"-5", "3", 3},  {"junk", "4", 4},
      {"130", "10", 3}, {"133", "10", 0}, {"99999999999", "10", 0}, {"0", "", 10}, {"0", "7x", 7},
  };
  for (const Case& c : cases) {
    const XmlProbe probe = Search({{"s", c.s}, {"n", c.n}});
    EXPECT_EQ(probe.Texts("result_list_item").size(), c.items) << "s=" << c.s << " n=" << c.n;
    EXPECT_EQ(probe.Texts("filter_count_total"), std::vector<std::string>{std::to_string(kTracks + 3)});
  }
}

TEST_F(CatalogueApiTest, KindsComeInOrderAcrossPageBoundaries) {
  // Two TextCues (artist, album), one CueList, then the tracks.
  const XmlProbe page = Search({{"s", "1"}, {"n", "3"}});
  EXPECT_EQ(page.Texts("media"), (std::vector<std::string>{"text", "playlist", "audio"}));
  EXPECT_EQ(page.Texts("item_count"), std::vector<std::string>{"2"});

  struct Case {
    const char* rm;
    const char* rp;
    const char* rt;
    int64_t total;
    const char* firstMedia;  // "": no items
  };
  // Each kind alone is in the contract tests.
  const Case cases[] = {{"0", "1", "1", 3, "text"}, {"1", "1", "0", kTracks + 1, "playlist"}, {"0", "0", "0", 0, ""}};
  for (const Case& c : cases) {
    const XmlProbe probe = Search({{"rm", c.rm}, {"rp", c.rp}, {"rt", c.rt}, {"n", "5"}});
    EXPECT_EQ(probe.Texts("filter_count_total"), std::vector<std::string>{std::to_string(c.total)});
    const auto media = probe.Texts("media");
    EXPECT_EQ(media.empty() ? "" : media[0], c.firstMedia);
  }
  const XmlProbe text = Search({{"rm", "0"}, {"rp", "0"}});
  EXPECT_EQ(text.Texts("location"), (std::vector<std::string>{"https://wiki.invalid/wiki/Zed_Alpha",
                                                               "https://wiki.invalid/wiki/Zed_Beta"}));
}

TEST_F(CatalogueApiTest, WrongKeyGetsAnErrorAndNoItems) {
  for (const char* path : {"/api/wm_app/search", "/api/wm_app/getAllFeaturedCueLists", "/api/wm_app/getPlaylist"}) {
    for (const char* key : {"", "ffffffffffffffff", "0123456789abcd"}) {
      const server::HttpReply reply = api_.Handle(FakeRequest(path, {{"sk", key}, {"q", "zed"}, {"playlist_id", "1"}}));
      const XmlProbe probe = XmlProbe::Parse(reply.body);
      EXPECT_TRUE(probe.wellFormed);
      EXPECT_EQ(probe.Texts("error").size(), 1u) << path;
      EXPECT_EQ(probe.Texts("result_list_item").size() + probe.Texts("track").size(), 0u) << path;
      EXPECT_EQ(probe.Texts("filter_count_total").size(), 0u) << "a refused search is no empty result";
    }
  }
  EXPECT_EQ(api_.Handle(FakeRequest("/api/wm_app/results", {{"mp3_url_id", "1"}})).body, "not_available");
}

TEST_F(CatalogueApiTest, StreamAddressesNameTheAskedHostAndTheBoundPort) {
  struct Case {
    const char* host;  // nullptr: no Host header
    const char* url;
  };
  const Case cases[] = {
      {"music.example", "http://music.example:4321/stream/1.mp3"},
      {"music.example:80", "http://music.example:4321/stream/1.mp3"},
      {"evil.example/x?", "http://127.0.0.1:4321/stream/1.mp3"}, {"a b", "http://127.0.0.1:4321/stream/1.mp3"},
      {nullptr, "http://127.0.0.1:4321/stream/1.mp3"}, {"[::1]:4321", "http://[::1]:4321/stream/1.mp3"},
      {"[2001:db8::7]", "http://[2001:db8::7]:4321/stream/1.mp3"},
      {"[::1]@evil.example", "http://[::1]:4321/stream/1.mp3"}, {"[::1/x]", "http://127.0.0.1:4321/stream/1.mp3"},
      {"[::1", "http://127.0.0.1:4321/stream/1.mp3"},
  };
  for (const Case& c : cases) {
    Map headers;
    if (c.host) headers["Host"] = c.host;
    const server::HttpReply reply =
        api_.Handle(FakeRequest("/api/wm_app/results", {{"mp3_url_id", "1"}, {"sk", kKey}}, headers));
    EXPECT_EQ(reply.body, c.url) << (c.host ? c.host : "(none)");
  }
  // Without a usable Host header: the listening address, a wildcard as the loopback address.
  for (const auto& [listen, host] : std::vector<std::pair<std::string, std::string>>{
           {"0.0.0.0", "127.0.0.1"}, {"::", "127.0.0.1"}, {"fe80::1", "[fe80::1]"}, {"10.0.0.2", "10.0.0.2"}}) {
    EXPECT_EQ(server::CatalogueApi::UrlHost(listen), host);
  }
  server::CatalogueApiOptions pinned = options_;
  pinned.publicUrl = "https://cdn.example/music";
  server::CatalogueApi api(queries_, "/nonexistent", pinned);
  EXPECT_EQ(api.Handle(FakeRequest("/api/wm_app/results", {{"mp3_url_id", "2"}, {"sk", kKey}})).body,
            "https://cdn.example/music/stream/2.mp3");
}

TEST_F(CatalogueApiTest, PlaylistTracksEachOpenWithTheirLocation) {
  const auto lists = Search({{"rm", "0"}, {"rt", "0"}}).Texts("playlist_id");
  ASSERT_EQ(lists.size(), 1u);
  const XmlProbe tracks = XmlProbe::Parse(
      api_.Handle(FakeRequest("/api/wm_app/getPlaylist", {{"playlist_id", lists[0]}, {"sk", kKey}})).body);
  EXPECT_EQ(tracks.Texts("title"), (std::vector<std::string>{"Zed Track 1", "Zed Track 0"}));
  for (size_t i = 0; i < tracks.elements.size(); ++i) {
    if (tracks.elements[i].name == "track") {
      EXPECT_EQ(i + 1 < tracks.elements.size() ? tracks.elements[i + 1].name : "", "location");
    }
  }
}

TEST_F(CatalogueApiTest, IdsAreWholeNumbersOnly) {
  for (const char* id : {"", "abc", "1x", "-1", "1.0", "../1", "9999999999999999999", "0", "131"}) {
    EXPECT_EQ(api_.Handle(FakeRequest("/api/wm_app/results", {{"mp3_url_id", id}, {"sk", kKey}})).body,
              "not_available") << id;
    const XmlProbe probe = XmlProbe::Parse(
        api_.Handle(FakeRequest("/api/wm_app/getPlaylist", {{"playlist_id", id}, {"sk", kKey}})).body);
    EXPECT_EQ(probe.Texts("error").size(), 1u) << id;
  }
}

TEST(CatalogueApiBroadTest, MatchesBeyondTheRankingLimitStillPage) {
  server::CatalogueIndex index;
  ASSERT_TRUE(index.Open(":memory:"));
  const int64_t generation = index.BeginScan();
  const int64_t count = server::CatalogueApi::kMaxRankedMatches + 7;
  index.Begin();
  for (int64_t i = 0; i < count; ++i) {
    server::TrackTags tags;
    tags.title = "Common " + std::to_string(i);
    ASSERT_TRUE(index.UpsertTrack(std::to_string(i), 1, 1, tags, generation));
  }
  index.Commit();
  ASSERT_TRUE(index.FinishScan(generation));
  server::CatalogueQueries queries(index.Database());
  server::CatalogueApi api(queries, "/", {kKey, "", "", "", "127.0.0.1"});
  std::set<std::string> ids;
  for (int64_t s = count - 12; s < count; s += 5) {
    const XmlProbe probe = XmlProbe::Parse(
        api.Handle(FakeRequest("/api/wm_app/search", {{"q", "common"}, {"s", std::to_string(s)}, {"n", "5"}, {"sk", kKey}}))
            .body);
    EXPECT_EQ(probe.Texts("filter_count_total"), std::vector<std::string>{std::to_string(count)});
    for (const std::string& id : probe.Texts("song_id")) ids.insert(id);
  }
  EXPECT_EQ(ids.size(), 12u) << "the last 12 matches, each once";
}

}  // namespace
