// The client's own catalogue requests against a live server over a generated library.

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>

#include <map>
#include <memory>
#include <set>

#include "audio/TrackStart.h"
#include "catalogue/CueListTracksRequest.h"
#include "catalogue/FeaturedCueListsRequest.h"
#include "catalogue/HttpClient.h"
#include "catalogue/SearchRequest.h"
#include "platform/UniqueFd.h"
#include "server/CatalogueServer.h"
#include "tests/server/TestLibrary.h"
#include "tests/support/TestSettings.h"
#include "tests/support/WaitUntil.h"

namespace {

using namespace servertest;

constexpr int kPagingTracks = 24;
constexpr int kPageSize = 10;

// True when a socket can be bound to the IPv6 loopback address.
bool Ipv6LoopbackAvailable() {
  platform::UniqueFd fd(::socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_in6 address{};
  address.sin6_family = AF_INET6;
  address.sin6_addr = in6addr_loopback;
  return fd && ::bind(fd.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
}

// The same contract over each address family the server listens on: the parameter is the host.
class ContractTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    if (std::string(GetParam()) == "::1" && !Ipv6LoopbackAvailable()) {
      GTEST_SKIP() << "IPv6 loopback (::1) is not available on this machine";
    }
    auto& server = servers_[GetParam()];
    if (!server) {
      server = std::make_unique<server::CatalogueServer>();
      server::ServerOptions options;  // the built-in key on both sides
      options.library = library_->Root();
      options.host = GetParam();
      ASSERT_TRUE(server->Start(options));
    }
    server_ = server.get();
  }
  static void SetUpTestSuite() {
    library_ = std::make_unique<TestLibrary>();
    for (int i = 0; i < kPagingTracks; ++i) {
      library_->AddTrack({"Pager/" + std::to_string(i) + ".mp3", "Paging Song " + std::to_string(i), "Pager",
                          "Pages", "Testing", "", 0.2});
    }
    library_->AddTrack({"Marrow/salt.mp3", "Salt & Pepper", "Marrow & Tide", "Condiments", "Folk", "Ølberg"});
    library_->AddTrack({"Marrow/long.mp3", "Long Tide", "Marrow & Tide", "Condiments", "Folk", "", 1.0, 20});
    library_->AddPlaylist("featured/First.m3u", {"../Marrow/long.mp3", "../Pager/7.mp3", "../Marrow/salt.mp3"},
                          "2009-12-25");
    library_->AddPlaylist("featured/Second.m3u", {"../Pager/3.mp3"}, "2011-05-06");
    library_->AddPlaylist("Marrow Mix.m3u", {"Marrow/salt.mp3"});
  }
  static void TearDownTestSuite() {
    servers_.clear();
    library_.reset();
  }

  std::string Base() const { return server_->BaseUrl(); }

  void Search(catalogue::SearchRequest& search, const std::string& query, std::uint32_t kinds) {
    search.pageSize = kPageSize;
    search.setResultKinds(kinds);
    search.buildUrl(catalogue::SearchRequest::EncodeQuery(query).c_str());
    ASSERT_EQ(search.run(0), 1) << search.url();
  }

  static std::unique_ptr<TestLibrary> library_;
  static std::map<std::string, std::unique_ptr<server::CatalogueServer>> servers_;
  server::CatalogueServer* server_ = nullptr;
  testsupport::TestSettings test_;
  core::AppSettings& settings_ = test_.settings;
};

std::unique_ptr<TestLibrary> ContractTest::library_;
std::map<std::string, std::unique_ptr<server::CatalogueServer>> ContractTest::servers_;

INSTANTIATE_TEST_SUITE_P(AddressFamilies, ContractTest, ::testing::Values("127.0.0.1", "::1"),
                         [](const ::testing::TestParamInfo<const char*>& param) {
                           return std::string(param.param) == "::1" ? "Ipv6" : "Ipv4";
                         });

TEST_P(ContractTest, SearchOverAllKindsAndEachKindAlone) {
  struct Case {
    std::uint32_t kinds;
    std::vector<catalogue::ItemKind> expected;
  };
  // "marrow": the artist's TextCue, the CueList "Marrow Mix", and two AudioCues.
  const Case cases[] = {{7, {catalogue::kTextCue, catalogue::kCueList, catalogue::kAudioCue, catalogue::kAudioCue}},
                        {1, {catalogue::kAudioCue, catalogue::kAudioCue}},
                        {2, {catalogue::kCueList}},
                        {4, {catalogue::kTextCue}}};
  for (const Case& c : cases) {
    catalogue::SearchRequest search(Base(), settings_);
    Search(search, "marrow", c.kinds);
    EXPECT_EQ(search.totalReceived, 1);
    EXPECT_EQ(search.totalCount, static_cast<std::int32_t>(c.expected.size()));
    std::vector<catalogue::ItemKind> kinds;
    for (std::size_t i = 0; i < search.resultCount(); ++i) kinds.push_back(search.itemAt(i)->kind());
    ASSERT_EQ(kinds, c.expected) << "kinds " << c.kinds;
    if (c.kinds != 7) continue;
    EXPECT_STREQ(search.itemAt(0)->textCue()->title, "Marrow & Tide");
    EXPECT_STREQ(search.itemAt(0)->textCue()->location, "https://en.wikipedia.org/wiki/Marrow_%26_Tide");
    EXPECT_STREQ(search.itemAt(1)->cueList()->title, "Marrow Mix");
    EXPECT_EQ(search.itemAt(1)->cueList()->item_count, 1);
  }
}

TEST_P(ContractTest, PagingAcrossThreePages) {
  catalogue::SearchRequest search(Base(), settings_);
  Search(search, "paging song", 1);
  std::set<std::string> seen;
  const std::size_t expected[] = {10, 10, 4};
  for (int page = 0; page < 3; ++page) {
    EXPECT_EQ(search.startIndex, page * kPageSize);
    EXPECT_EQ(search.totalCount, kPagingTracks);
    ASSERT_EQ(search.resultCount(), expected[page]) << search.url();
    for (std::size_t i = 0; i < search.resultCount(); ++i) seen.insert(search.itemAt(i)->audioCue()->song_id);
    if (page < 2) {
      EXPECT_EQ(search.nextPage(), 1);
    }
  }
  EXPECT_EQ(seen.size(), static_cast<std::size_t>(kPagingTracks));
  EXPECT_EQ(search.previousPage(), 1);
  EXPECT_EQ(search.resultCount(), 10u);
}

TEST_P(ContractTest, FeaturedCueListsAndTheirTracksInPlaylistOrder) {
  catalogue::FeaturedCueListsRequest featured(Base(), settings_);
  featured.pageSize = kPageSize;
  featured.buildUrl("");
  ASSERT_EQ(featured.run(0), 1);
  EXPECT_EQ(featured.totalCount, 2);
  ASSERT_EQ(featured.resultCount(), 2u);
  // Earlier to later, so that a page's title ("from - to") reads in date order.
  const catalogue::CueListRecord* older = featured.itemAt(0);
  const catalogue::CueListRecord* newest = featured.itemAt(1);
  EXPECT_STREQ(newest->title, "Second");
  EXPECT_STREQ(newest->publish_date, "2011-05-06");
  EXPECT_EQ(newest->item_count, 1);
  EXPECT_STREQ(older->title, "First");
  EXPECT_STREQ(older->publish_date, "2009-12-25");
  EXPECT_EQ(older->item_count, 3);
  EXPECT_EQ(std::string(older->uid).size(), 16u);
  EXPECT_NE(std::string(older->uid), newest->uid);

  catalogue::CueListTracksRequest tracks(Base(), settings_);
  tracks.buildUrl(older->playlist_id);
  ASSERT_EQ(tracks.run(0), 1);
  ASSERT_EQ(tracks.resultCount(), 3u);
  EXPECT_STREQ(tracks.itemAt(0)->title, "Long Tide");
  EXPECT_STREQ(tracks.itemAt(1)->title, "Paging Song 7");
  EXPECT_STREQ(tracks.itemAt(2)->title, "Salt & Pepper");
  EXPECT_STREQ(tracks.itemAt(2)->composer, "\xC3\x98lberg");
  EXPECT_STREQ(tracks.itemAt(2)->song_id, "") << "track lists carry no song_id";
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(std::string(tracks.itemAt(i)->location), Base() + "/stream/" + tracks.itemAt(i)->mp3_url_id + ".mp3");
  }
}

TEST_P(ContractTest, StreamUrlLookupAndStreamBytes) {
  catalogue::SearchRequest search(Base(), settings_);
  Search(search, "long tide", 1);
  ASSERT_EQ(search.resultCount(), 1u);
  const catalogue::AudioCueRecord& record = *search.itemAt(0)->audioCue();
  audio::StreamUrlService service{Base(), core::RequestIdentity::From(settings_), catalogue::HttpClientOptions()};
  char reply[audio::kStreamUrlReplySize];
  EXPECT_TRUE(audio::resolveStreamUrl(service, record.mp3_url_id, reply));
  EXPECT_STREQ(reply, record.location);
  EXPECT_FALSE(audio::resolveStreamUrl(service, "999999", reply));
  EXPECT_STREQ(reply, "not_available");

  catalogue::HttpClient client;
  ASSERT_EQ(client.setUrl(std::string(record.location)), 1);
  client.receiveMode = catalogue::HttpClient::WholeBody;
  ASSERT_EQ(client.start(), 1);
  ASSERT_TRUE(testsupport::WaitUntil([&] { return client.isFinished() || client.isAborted(); }));
  ASSERT_TRUE(client.isFinished());
  const std::string file = testsupport::ReadFile(*library_ / "Marrow/long.mp3");
  EXPECT_EQ(client.contentLength(), static_cast<std::int32_t>(file.size()));
  EXPECT_TRUE(std::string(reinterpret_cast<const char*>(client.body()), client.bodyLength()) == file);
}

TEST_P(ContractTest, AmpersandsInQueriesAndTagsArriveWhole) {
  catalogue::SearchRequest salt(Base(), settings_);
  Search(salt, "salt & pepper", 1);
  ASSERT_EQ(salt.resultCount(), 1u);
  EXPECT_STREQ(salt.itemAt(0)->audioCue()->title, "Salt & Pepper");
  EXPECT_STREQ(salt.itemAt(0)->audioCue()->creator, "Marrow & Tide");
}

}  // namespace
