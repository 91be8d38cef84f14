#include "catalogue/HttpStream.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "tests/catalogue/HttpTestSupport.h"
#include "tests/support/ScriptedServer.h"

namespace {

using namespace testsupport;
using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kChunk = catalogue::httplimits::kChunkDataSize;

// `size` bytes of a pattern that shows where in the stream a byte came from.
std::string Pattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>('a' + (i * 7 + i / 251) % 26);
  return bytes;
}

// Reads `wanted` bytes; returns them, with the result in *status.
std::string Read(catalogue::HttpStream& stream, std::uint32_t wanted, int* status) {
  std::string out(wanted, '\0');
  std::uint32_t got = 12345;
  *status = stream.readStream(out.data(), wanted, &got);
  out.resize(got);
  return out;
}

TEST(HttpStreamTest, ReadWithNothingWantedReturnsAtOnce) {
  catalogue::HttpStream stream;
  std::uint32_t got = 99;
  char byte;
  EXPECT_EQ(stream.readStream(&byte, 0, &got), 1);
  EXPECT_EQ(got, 0u);
}

TEST(HttpStreamTest, ReadsAfterTheServerLeftDrainTheQueueThenEndShort) {
  const std::string reply = "HTTP/1.0 200 OK\r\n\r\n" + Pattern(3 * kChunk + 500);
  struct Case {
    const char* name;
    ServerScript script;
    std::string expected;
    bool finished;  // a reset sets no flag in Stream mode
  } cases[] = {{"close", Reply(reply), reply, true},
               {"reset mid-body", {ReadRequest(), Send(reply.substr(0, kChunk)), Pause(50), Reset()},
                reply.substr(0, kChunk), false}};
  for (Case& c : cases) {
    ScriptedServer server(c.script);
    catalogue::HttpStream stream(server.Url("/track.mp3"), ShortHttpOptions());
    ASSERT_EQ(stream.start(), 1);
    ASSERT_TRUE(WaitUntil([&] { return !stream.isConnectionOpen(); })) << c.name;
    EXPECT_EQ(stream.isFinished(), c.finished) << c.name;
    EXPECT_FALSE(stream.isAborted()) << c.name;
    EXPECT_EQ(stream.bytesReceived(), c.expected.size()) << c.name;
    std::string received;
    int status = 1;
    while (status == 1) received += Read(stream, 1000, &status);
    EXPECT_EQ(received, c.expected) << c.name;  // raw bytes, headers included, in order
    EXPECT_EQ(c.expected.size() % 1000, received.size() % 1000);  // the last read was short
    EXPECT_EQ(Read(stream, 10, &status), "");
    EXPECT_EQ(status, 0);
  }
}

// A trickle or an endless header block: the worker gives up instead of holding on.
TEST(HttpStreamTest, TrickleAndEndlessHeadersEndTheConnection) {
  ServerScript trickle{ReadRequest(), Send("HTTP/1.0 200 OK\r\n\r\n")};
  for (int i = 0; i < 40; ++i) {
    trickle.push_back(Send("zzzzzz"));
    trickle.push_back(Pause(40));
  }
  trickle.push_back(Close());
  const std::string headerLine = "X-Filler: " + std::string(1014, 'h') + "\r\n";
  struct Case {
    const char* name;
    ServerScript script;
    std::uint32_t mostReceived;
  } cases[] = {
      {"trickle below the floor", trickle, 19 + 6 * 20},
      {"endless header", {ReadRequest(), Send("HTTP/1.0 200 OK\r\n"), SendRepeated(headerLine, 200), Close()},
       std::uint32_t(catalogue::httplimits::kMaxHeaderBlock + 32 * kChunk)},
  };
  for (Case& c : cases) {
    ScriptedServer server(c.script);
    catalogue::HttpStream stream(server.Url("/track.mp3"), ShortHttpOptions());
    ASSERT_EQ(stream.start(), 1);
    ASSERT_TRUE(WaitUntil([&] { return !stream.isConnectionOpen(); })) << c.name;
    EXPECT_FALSE(stream.isFinished()) << c.name;
    EXPECT_LE(stream.bytesReceived(), c.mostReceived) << c.name;
  }
}

TEST(HttpStreamTest, WorkerWaitsForAFreeChunkAndResumes) {
  catalogue::HttpClientOptions options = ShortHttpOptions();
  options.poolChunkCount = 4;
  const std::string body = Pattern(20 * kChunk);
  ScriptedServer server({ReadRequest(), Send("HTTP/1.0 200 OK\r\n\r\n" + body), Hang()});
  catalogue::HttpStream stream(server.Url("/"), options);
  ASSERT_EQ(stream.start(), 1);
  ASSERT_TRUE(WaitUntil([&] { return stream.queuedChunkCount() == 4; }));
  EXPECT_EQ(stream.bytesReceived(), 4 * kChunk);
  // The bytes wait in the socket: for a few wait steps nothing more is taken.
  EXPECT_FALSE(WaitUntil([&] { return stream.bytesReceived() != 4 * kChunk; }, std::chrono::milliseconds(60)));

  int status;
  std::string first = Read(stream, kChunk, &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(first.substr(0, 17), "HTTP/1.0 200 OK\r\n");
  EXPECT_TRUE(WaitUntil([&] { return stream.bytesReceived() == 5 * kChunk; }));
  EXPECT_EQ(stream.queuedChunkCount(), 4u);
  stream.stop();
}

TEST(HttpStreamTest, ContentLengthSplitAcrossChunksAndBlocks) {
  // Padding puts "Content-Length: 4096" across the first chunk boundary.
  const std::string status = "HTTP/1.0 200 OK\r\n";
  const std::string pad = "X-Pad: " + std::string(kChunk - 10 - status.size() - 9, 'p') + "\r\n";
  const std::string head = status + pad + "Content-Length: 4096\r\n\r\n";
  ASSERT_LT(status.size() + pad.size(), kChunk);
  ASSERT_GT(status.size() + pad.size() + 16, kChunk);
  const std::string body = "Content-Length: 7\r\n" + Pattern(4096 - 19);
  struct Case {
    const char* name;
    ServerScript script;
  } cases[] = {
      {"one block", Reply(head + body)},
      {"two blocks", {ReadRequest(), Send(head.substr(0, kChunk - 3)), Pause(30),
                      Send(head.substr(kChunk - 3) + body), Close()}},
  };
  for (Case& c : cases) {
    ScriptedServer server(c.script);
    catalogue::HttpStream stream(server.Url("/"), ShortHttpOptions());
    ASSERT_EQ(stream.start(), 1) << c.name;
    ASSERT_TRUE(WaitUntil([&] { return !stream.isConnectionOpen(); })) << c.name;
    EXPECT_EQ(stream.contentLength(), 4096) << c.name;
    stream.stop();
    EXPECT_EQ(stream.contentLength(), 4096) << c.name;  // kept by stop, zeroed by reset
    stream.reset();
    EXPECT_EQ(stream.contentLength(), 0);
    EXPECT_EQ(stream.bytesReceived(), 0u);
  }
}

TEST(HttpStreamTest, StopWakesABlockedReaderAndReturnsQuickly) {
  for (bool poolFull : {false, true}) {
    catalogue::HttpClientOptions options;  // the product's 200 ms steps
    options.poolChunkCount = 2;
    ScriptedServer server({ReadRequest(), Send("HTTP/1.0 200 OK\r\n\r\n"),
                           SendRepeated(Pattern(kChunk), poolFull ? 8 : 0), Hang()});
    catalogue::HttpStream stream(server.Url("/"), options);
    ASSERT_EQ(stream.start(), 1);
    if (poolFull) {
      ASSERT_TRUE(WaitUntil([&] { return stream.queuedChunkCount() == 2; }));
    }
    std::atomic<int> readStatus{-1};
    std::thread reader([&] {
      // With a full pool the reader is served first; the read then blocks for more.
      std::string sink(10 * kChunk, '\0');
      std::uint32_t got = 0;
      readStatus = stream.readStream(sink.data(), static_cast<std::uint32_t>(sink.size()), &got);
    });
    auto begin = Clock::now();
    stream.stop();
    EXPECT_LT(Clock::now() - begin, std::chrono::milliseconds(500)) << poolFull;
    reader.join();
    EXPECT_EQ(readStatus, 0);
    EXPECT_LT(Clock::now() - begin, std::chrono::milliseconds(500)) << poolFull;
  }
}

TEST(HttpStreamTest, StreamIsReusableForTheNextTrack) {
  ScriptedServer server(std::vector<ServerScript>{Reply("HTTP/1.0 200 OK\r\n\r\none"),
                                                  Reply("HTTP/1.0 200 OK\r\n\r\ntwo!")});
  catalogue::HttpStream stream({}, ShortHttpOptions());
  for (const std::string expected : {"one", "two!"}) {
    stream.reset();
    ASSERT_EQ(stream.setUrl(server.Url("/")), 1);
    ASSERT_EQ(stream.start(), 1);
    std::string received;
    int status = 1;
    while (status == 1) received += Read(stream, 100, &status);
    EXPECT_EQ(received, "HTTP/1.0 200 OK\r\n\r\n" + expected);
  }
}

}  // namespace
