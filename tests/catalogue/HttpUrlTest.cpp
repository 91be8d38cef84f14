#include "catalogue/HttpUrl.h"

#include <gtest/gtest.h>

#include <string>

#include "catalogue/HttpHeaderScanner.h"

namespace {

TEST(HttpUrlTest, SplitsHostPortAndPath) {
  struct Case {
    const char* url;
    const char* host;
    int port;
    const char* path;
  } cases[] = {
      {"http://example.org/api/x?q=1", "example.org", 80, "/api/x?q=1"},
      {"http://example.org:8080/api", "example.org", 8080, "/api"},
      {"http://example.org", "example.org", 80, "/"},
      {"http://example.org:81", "example.org", 81, "/"},
      {"http://example.org:abc/p", "example.org", 80, "/p"},  // no number: default port
      {"http://10.0.0.1/a:b", "10.0.0.1", 80, "/a:b"},       // a ':' in the path is no port
  };
  for (const Case& c : cases) {
    catalogue::HttpUrl parsed;
    ASSERT_TRUE(catalogue::HttpUrl::Parse(c.url, &parsed)) << c.url;
    EXPECT_EQ(parsed.host, c.host) << c.url;
    EXPECT_EQ(parsed.port, c.port) << c.url;
    EXPECT_EQ(parsed.path, c.path) << c.url;
  }
}

TEST(HttpUrlTest, RefusesUnusableUrlsAndUrlsWithControlCharactersOrSpaces) {
  for (const std::string& url : {std::string("https://example.org/"), std::string("http://"),
                                 std::string("http:///path"), std::string("http://:80/"),
                                 std::string("http://host:0/"), std::string("http://host:65536/"),
                                 std::string("http://host:-5/"), "http://" + std::string(300, 'h') + "/"}) {
    catalogue::HttpUrl parsed;
    EXPECT_FALSE(catalogue::HttpUrl::Parse(url, &parsed)) << url;
  }
  EXPECT_TRUE(catalogue::IsAcceptableUrl("http://h/a?q=a+b%26c"));
  for (const std::string& url :
       {std::string("ftp://h/"), std::string("HTTP://h/"), std::string("http://h/a b"),
        std::string("http://h/\r\nX-Injected: 1"), std::string("http://h/\x01"),
        std::string("http://h/\x7f"), std::string("http://h/\t"), "http://h/" + std::string(2100, 'a')}) {
    EXPECT_FALSE(catalogue::IsAcceptableUrl(url)) << url;
  }
}

// Feeds `reply` in pieces ending at each of `cuts`, then the rest; returns the header bytes.
std::size_t ScanInPieces(const std::string& reply, std::vector<std::size_t> cuts, catalogue::HttpHeaderScanner* scanner) {
  std::size_t offset = 0, headerBytes = 0;
  cuts.push_back(reply.size());
  for (std::size_t end : cuts) {
    if (!scanner->HeadersComplete()) {
      headerBytes += scanner->Feed(reinterpret_cast<const std::uint8_t*>(reply.data()) + offset, end - offset);
    }
    offset = end;
  }
  return headerBytes;
}
TEST(HttpHeaderScannerTest, FindsHeaderEndAndLengthAcrossAnyCut) {
  const std::string reply = "HTTP/1.0 200 OK\r\nContent-Length: 1234\r\nX: y\r\n\r\nBODY";
  const std::size_t headerEnd = reply.size() - 4;
  for (std::size_t cut = 1; cut < reply.size(); ++cut) {
    for (std::size_t cut2 = cut; cut2 < reply.size(); cut2 += 7) {
      catalogue::HttpHeaderScanner scanner;
      EXPECT_EQ(ScanInPieces(reply, {cut, cut2}, &scanner), headerEnd) << cut << "," << cut2;
      EXPECT_TRUE(scanner.HeadersComplete());
      EXPECT_EQ(scanner.ContentLength(), 1234) << cut << "," << cut2;
    }
  }
}

TEST(HttpHeaderScannerTest, HostileOrMisplacedLengthsStaySane) {
  struct Case {
    const char* headers;
    std::int32_t length;
  } cases[] = {
      {"Content-Length: -1\r\n", 0}, {"Content-Length: 99999999999999999999\r\n", 0},
      {"Content-Length: 2147483648\r\n", 0}, {"Content-Length: 12abc\r\n", 0},
      {"Content-Length:\r\n", 0}, {"Content-Length:    77  \r\n", 77},
      {"Content-Length: 10\r\nContent-Length: 99999\r\n", 10},  // the first one counts
      {"X-Original-Content-Length: 5\r\n", 0},                  // only at a line start
      {"content-length: 5\r\n", 5},                             // names are case-insensitive
      {"CONTENT-LENGTH: 6\r\n", 6},
      {"Content-Length: 2147483647\r\n", 2147483647},
  };
  for (const Case& c : cases) {
    std::string reply = std::string("HTTP/1.0 200 OK\r\n") + c.headers + "\r\nContent-Length: 3\r\n";
    catalogue::HttpHeaderScanner scanner;
    ScanInPieces(reply, {}, &scanner);
    EXPECT_EQ(scanner.ContentLength(), c.length) << c.headers;
  }
}

// Where a reply's body starts: a 200 at the first byte, a 206 where its Content-Range says.
TEST(HttpHeaderScannerTest, BodyStartComesFromTheStatusAndTheContentRange) {
  struct Case {
    const char* header;
    std::optional<std::uint32_t> start;
  } cases[] = {
      {"HTTP/1.0 206 Partial Content\r\nContent-Range: bytes 500-999/1000\r\n\r\n", 500},
      {"HTTP/1.1 206\r\ncontent-range:bytes 500-999/1000\r\n\r\n", 500},
      {"HTTP/1.0 200 OK\r\nContent-Range: bytes 500-999/1000\r\n\r\n", 0},
      {"HTTP/1.0 206 Partial Content\r\nContent-Range: bytes 0-999/1000\r\n\r\n", 0},
      {"HTTP/1.0 206 Partial Content\r\nContent-Range: bytes 5000000000-/1\r\n\r\n", std::nullopt},
      {"HTTP/1.0 206 Partial Content\r\nX-Content-Range: bytes 500-999/1000\r\n\r\n", std::nullopt},
      {"HTTP/1.0 2060\r\nContent-Range: bytes 500-999/1000\r\n\r\n", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(catalogue::HttpHeaderScanner::BodyStart(c.header), c.start) << c.header;
  }
}

}  // namespace
