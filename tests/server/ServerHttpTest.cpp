// The server over HTTP: status codes, headers, ranges, connections and hostile input.

#include <gtest/gtest.h>

#include "tests/server/LiveServer.h"
#include "tests/server/XmlProbe.h"

namespace {

using namespace servertest;

class ServerHttpTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    library_ = std::make_unique<TestLibrary>();
    library_->AddTrack({"Marrow/salt.mp3", "Salt & Pepper", "Marrow & Tide", "Condiments", "Folk", ""});
    library_->AddTrack({"Marrow/long.mp3", "Long Tide", "Marrow & Tide", "Condiments", "Folk", "", 1.0, 20});
    server_ = StartServer(*library_, 30, "optional,http://example.invalid/new");
    ASSERT_TRUE(server_);
  }
  static void TearDownTestSuite() {
    server_.reset();
    library_.reset();
  }

  static XmlProbe GetXml(const std::string& target) {
    const HttpResult result = Get(Port(), target);
    EXPECT_TRUE(result.closed) << target;
    EXPECT_EQ(result.status, 200) << target;
    XmlProbe probe = XmlProbe::Parse(result.body);
    EXPECT_TRUE(probe.wellFormed) << target << "\n" << result.body;
    return probe;
  }
  static uint16_t Port() { return server_->Port(); }
  static bool HasHeader(const HttpResult& result, const std::string& line) {
    return result.head.find("\r\n" + line + "\r\n") != std::string::npos;
  }

  static std::unique_ptr<TestLibrary> library_;
  static std::unique_ptr<server::CatalogueServer> server_;
};

std::unique_ptr<TestLibrary> ServerHttpTest::library_;
std::unique_ptr<server::CatalogueServer> ServerHttpTest::server_;

TEST_F(ServerHttpTest, StreamsCarryTheirTypeAndServeRanges) {
  const auto ids = GetXml(SearchTarget("long+tide", 0, 10, 1)).Texts("mp3_url_id");
  ASSERT_EQ(ids.size(), 1u);
  const std::string path = "/stream/" + ids[0] + ".mp3";

  const std::string file = testsupport::ReadFile(*library_ / "Marrow/long.mp3");
  ASSERT_GT(file.size(), 20000u);
  const HttpResult stream = Get(Port(), path);
  EXPECT_TRUE(stream.closed);
  EXPECT_EQ(stream.status, 200);
  EXPECT_TRUE(HasHeader(stream, "Content-Type: audio/mpeg")) << stream.head;
  EXPECT_TRUE(stream.body == file) << "the stream is the file, byte for byte";

  const HttpResult tail = Get(Port(), path, "Range: bytes=1000-\r\n");
  EXPECT_EQ(tail.status, 206);
  EXPECT_TRUE(HasHeader(tail, "Content-Range: bytes 1000-" + std::to_string(file.size() - 1) + "/" +
                                  std::to_string(file.size()))) << tail.head;
  EXPECT_TRUE(tail.body == file.substr(1000));
  EXPECT_EQ(Get(Port(), path, "Range: bytes=99999999-\r\n").status, 416);
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
}

TEST_F(ServerHttpTest, HostileQueriesGetWellFormedReplies) {
  for (const std::string& query :
       {std::string("%22unbalanced"), std::string("hello+AND"), std::string("NEAR%28"), std::string("*"),
        std::string("-hello"), std::string("title%3Ax"), std::string("%00"), std::string("a%00b"),
        std::string("%FF%FE"), std::string("%27%3B+DROP+TABLE+tracks%3B--"), std::string(10240, 'x'), std::string("")}) {
    EXPECT_EQ(GetXml(SearchTarget(query, 0, 10)).Texts("filter_count_total").size(), 1u) << query.substr(0, 40);
  }
  EXPECT_EQ(GetXml(SearchTarget("tide", 0, 10, 1)).Texts("filter_count_total"), std::vector<std::string>{"2"})
      << "the index is intact";
}

TEST_F(ServerHttpTest, EveryReplyClosesItsConnection) {
  const std::string search = SearchTarget("salt", 0, 1);
  struct Case {
    std::string request;
    int status;
    const char* body;  // nullptr: not checked
  };
  const Case cases[] = {
      {"GET " + search + " HTTP/1.0\r\n\r\n", 200, nullptr},
      {"GET " + search + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n", 200, nullptr},
      {"GET " + search + " HTTP/1.1\r\nHost: x\r\nConnection: keep-alive\r\n\r\n", 200, nullptr},
      {"GET /mobile/wm/downloads/version.php?v=1.4&p=2&r=1 HTTP/1.0\r\n\r\n", 200,
       "optional,http://example.invalid/new"},
      {"POST /api/wm_app/search HTTP/1.0\r\nContent-Length: 3\r\n\r\nabc", 405, nullptr},
      {"GET /nothing/here HTTP/1.0\r\n\r\n", 404, nullptr},
  };
  for (const Case& c : cases) {
    const HttpResult result = Exchange(Port(), c.request);
    EXPECT_TRUE(result.closed) << c.request;
    EXPECT_EQ(result.status, c.status) << c.request;
    EXPECT_TRUE(HasHeader(result, "Connection: close")) << c.request;
    if (c.body) {
      EXPECT_EQ(result.body, c.body);
    }
  }
  EXPECT_TRUE(Exchange(Port(), "garbage\r\n\r\n").closed);
}

}  // namespace
