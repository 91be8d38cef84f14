#include "catalogue/HttpStream.h"

#include <gtest/gtest.h>

#include "tests/catalogue/HttpTestSupport.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TempDir.h"

namespace {

using catalogue::HttpStream;
using catalogue::TrackCache;
using testsupport::ReadRequest;
using testsupport::SendRange;

// Everything the stream hands out until it ends.
std::string ReadAll(HttpStream& stream) {
  std::string bytes;
  char block[4096];
  for (;;) {
    std::uint32_t got = 0;
    const int more = stream.readStream(block, sizeof block, &got);
    bytes.append(block, got);
    if (!more) return bytes;
  }
}

catalogue::HttpClientOptions WithCache(TrackCache* cache) {
  catalogue::HttpClientOptions options;
  options.trackCache = cache;
  return options;
}

// A cut-off track plays its cached part then the rest by Range, then from the cache alone from
// any byte; a server without ranges (200, or 206 from 0) gives the same track and cache.
TEST(HttpStreamCacheTest, APartialTrackIsCompletedByRangeAndThenPlaysWithoutTheNetwork) {
  const std::string body = catalogue_test::RandomBytes(700000, 9);
  const std::string whole = "Content-Length: 700000\r\n\r\n" + body;
  for (const std::string& rest : {std::string(), "HTTP/1.0 200 OK\r\n" + whole,
                                  "HTTP/1.0 206 Partial\r\nContent-Range: bytes 0-699999/700000\r\n" + whole}) {
    SCOPED_TRACE(rest.substr(0, 12));
    testsupport::TempDir dir;
    TrackCache cache(dir / "tracks", 1 << 24);
    constexpr std::size_t kCut = 300000;
    const std::string key = "http://server id 7";
    std::string url;
    {
      testsupport::ScriptedServer server(std::vector<testsupport::ServerScript>{
          {ReadRequest(), SendRange(body, kCut)},
          {ReadRequest(), rest.empty() ? SendRange(body, body.size()) : testsupport::Send(rest)}});
      url = server.Url("/stream/7.mp3");
      cache.remember(url, key);

      HttpStream first({}, WithCache(&cache));
      ASSERT_TRUE(first.setUrl(url));
      ASSERT_TRUE(first.startAsOf(first.stopCount()));
      const std::string reply = ReadAll(first);
      ASSERT_NE(reply.find("\r\n\r\n"), std::string::npos);
      EXPECT_EQ(reply.substr(reply.find("\r\n\r\n") + 4), body.substr(0, kCut));
      EXPECT_EQ(first.bodyBytesRead(), kCut);
      EXPECT_EQ(first.contentLength(), std::int32_t(body.size()));
      first.stop();
      const TrackCache::Held held = cache.lookup(key);
      EXPECT_FALSE(held.complete);
      EXPECT_EQ(held.bytes, kCut);

      HttpStream second({}, WithCache(&cache));
      ASSERT_TRUE(second.setUrl(url));
      EXPECT_TRUE(second.fromCache());
      ASSERT_TRUE(second.startAsOf(second.stopCount()));
      EXPECT_FALSE(second.isConnectionOpen()) << "the cached part needs no connection yet";
      EXPECT_GE(second.queuedChunkCount(), second.prebufferChunkCount());
      EXPECT_TRUE(ReadAll(second) == body);
      EXPECT_EQ(second.bodyBytesRead(), body.size());
      const std::vector<std::string> requests = server.Requests();
      ASSERT_EQ(requests.size(), 2u);
      EXPECT_EQ(requests[0].find("Range:"), std::string::npos);
      EXPECT_NE(requests[1].find("Range: bytes=300000-"), std::string::npos) << requests[1];
    }
    EXPECT_TRUE(cache.lookup(key).complete);

    // The server is gone: the whole track from the cache, and from a byte within it.
    HttpStream third({}, WithCache(&cache));
    ASSERT_TRUE(third.setUrl(url));
    ASSERT_TRUE(third.startAsOf(third.stopCount()));
    EXPECT_TRUE(third.isFinished());
    EXPECT_EQ(third.contentLength(), std::int32_t(body.size()));
    EXPECT_TRUE(ReadAll(third) == body);
    third.rangeStart = 123456;
    ASSERT_TRUE(third.startAsOf(third.stopCount()));
    EXPECT_EQ(ReadAll(third), body.substr(123456));
    EXPECT_EQ(third.bodyBytesRead(), body.size());

    // Neither cached nor reachable: nothing to start.
    cache.remember(url + "?8", "http://server id 8");
    HttpStream other({}, WithCache(&cache));
    ASSERT_TRUE(other.setUrl(url + "?8"));
    EXPECT_FALSE(other.startAsOf(other.stopCount()));
  }
}

}  // namespace
