#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <thread>

#include "catalogue/HttpClient.h"
#include "platform/DebugLog.h"
#include "tests/catalogue/HttpTestSupport.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/ThrottlingProxy.h"

namespace {

using namespace testsupport;
using catalogue_test::FetchWholeBody;
using Clock = std::chrono::steady_clock;

const std::string kAgent = "Mozilla/4.0 (compatible; MSIE 7.0; Windows NT 6.0;)";

TEST(HttpWholeBodyTest, SendsTheRequestTextAndGathersTheBody) {
  struct Case {
    std::string host;       // as named in the URL
    std::string path;       // after host:port
    std::string requested;  // the path in the request line
  } cases[] = {{"127.0.0.1", "/api/wm_app/search?q=a+b%26c&s=0", "/api/wm_app/search?q=a+b%26c&s=0"},
               {"localhost", "", "/"}};
  for (const Case& c : cases) {
    ScriptedServer server(Reply(HttpResponse("<r/>")));
    auto result = FetchWholeBody("http://" + c.host + ":" + std::to_string(server.port()) + c.path);
    ASSERT_EQ(result.started, 1);
    EXPECT_TRUE(result.finished);
    EXPECT_FALSE(result.aborted);
    EXPECT_EQ(result.body, "<r/>");
    EXPECT_EQ(result.contentLength, 4);
    ASSERT_TRUE(server.WaitForFinished(1, std::chrono::seconds(5)));
    EXPECT_EQ(server.Requests(), std::vector<std::string>{"GET " + c.requested + " HTTP/1.0\r\nHost: " + c.host +
                                                          "\r\nAccept: */*\r\nUser-Agent: " + kAgent + "\r\n\r\n"});
  }
}

TEST(HttpWholeBodyTest, HeadersSplitAcrossBlocksOrAloneEndFinished) {
  struct Case {
    const char* name;
    ServerScript script;
    std::string body;
    std::int32_t contentLength;
  } cases[] = {
      {"split", {ReadRequest(), Send("HTTP/1.0 200 OK\r\nContent-Le"), Pause(30), Send("ngth: 11\r\n\r"), Pause(30),
                 Send("\nhello "), Pause(30), Send("world"), Close()}, "hello world", 11},
      {"headers only", Reply("HTTP/1.0 204 No Content\r\nServer: t\r\n\r\n"), "", 0},
  };
  for (Case& c : cases) {
    ScriptedServer server(c.script);
    auto result = FetchWholeBody(server.Url("/"));
    EXPECT_TRUE(result.finished) << c.name;
    EXPECT_FALSE(result.aborted) << c.name;
    EXPECT_EQ(result.body, c.body) << c.name;
    EXPECT_EQ(result.contentLength, c.contentLength) << c.name;
  }
}

TEST(HttpWholeBodyTest, EndsAsAbortedKeepingWhatArrived) {
  const std::string head = "HTTP/1.0 200 OK\r\n\r\n";
  // Header lines one at a time, each well within the idle limit, for longer than the deadline.
  ServerScript slowHeaders{ReadRequest(), Send("HTTP/1.0 200 OK\r\n")};
  for (int i = 0; i < 40; ++i) {
    slowHeaders.push_back(Send("X: y\r\n"));
    slowHeaders.push_back(Pause(50));
  }
  slowHeaders.push_back(Send("\r\nlate"));
  slowHeaders.push_back(Close());
  const std::string headerLine = "X-Filler: " + std::string(1014, 'h') + "\r\n";
  struct Case {
    const char* name;
    ServerScript script;
    std::string body;
  } cases[] = {
      {"idle time-out", {ReadRequest(), Send(head + "partial"), Hang()}, "partial"},
      {"reset mid-body", {ReadRequest(), Send(head + "abc"), Pause(50), Reset()}, "abc"},
      {"body cap", {ReadRequest(), Send(head), SendRepeated(std::string(1000, 'z'), 30), Close()},
       std::string(10000, 'z')},
      {"past the deadline", slowHeaders, ""},
      {"endless header", {ReadRequest(), Send("HTTP/1.0 200 OK\r\n"), SendRepeated(headerLine, 200), Send("\r\nx"), Close()},
       ""},
  };
  for (Case& c : cases) {
    ScriptedServer server(c.script);
    catalogue::HttpClientOptions options = ShortHttpOptions();
    options.maxWholeBody = 10000;
    options.wholeBodyDeadlineMicros = 500'000;
    const auto started = Clock::now();
    auto result = FetchWholeBody(server.Url("/"), options);
    EXPECT_LT(Clock::now() - started, std::chrono::milliseconds(1500)) << c.name;
    ASSERT_EQ(result.started, 1) << c.name;
    EXPECT_TRUE(result.aborted) << c.name;
    EXPECT_FALSE(result.finished) << c.name;
    EXPECT_EQ(result.body, c.body) << c.name;
  }
}

TEST(HttpWholeBodyTest, BlockingFetchReportsHowTheReplyEnded) {
  using Status = catalogue::HttpClient::FetchStatus;
  const std::string head = "HTTP/1.0 200 OK\r\n\r\n";
  struct Case {
    const char* name;
    ServerScript script;
    std::optional<std::chrono::milliseconds> timeout;
    Status status;
    std::string body;
  } cases[] = {
      {"closed", {ReadRequest(), Send(head + "whole"), Close()}, std::nullopt, Status::kFinished, "whole"},
      {"closed within the time-out", {ReadRequest(), Send(head + "whole"), Close()}, std::chrono::seconds(5),
       Status::kFinished, "whole"},
      {"idle", {ReadRequest(), Send(head + "partial"), Hang()}, std::nullopt, Status::kAborted, "partial"},
      {"silent past the time-out", {ReadRequest(), Send(head + "partial"), Hang()}, std::chrono::milliseconds(100),
       Status::kTimedOut, "partial"},
  };
  for (Case& c : cases) {
    ScriptedServer server(c.script);
    catalogue::HttpClientOptions options = ShortHttpOptions();
    // The caller's time-out must come before the idle time-out in the time-out case.
    if (c.status == Status::kTimedOut) options.idleTimeoutMicros = 10'000'000;
    catalogue::HttpClient client(options);
    const auto started = Clock::now();
    const catalogue::HttpClient::WholeBodyReply reply = client.fetchWholeBody(server.Url("/"), c.timeout);
    EXPECT_EQ(reply.status, c.status) << c.name;
    EXPECT_EQ(reply.body, c.body) << c.name;
    if (c.timeout) {
      EXPECT_LT(Clock::now() - started, *c.timeout + std::chrono::seconds(2)) << c.name;
    }
  }
  catalogue::HttpClient client(ShortHttpOptions());
  EXPECT_EQ(client.fetchWholeBody("ftp://127.0.0.1/").status, Status::kNotStarted);
  const std::string refused = RefusingUrl();
  EXPECT_EQ(client.fetchWholeBody(refused, std::chrono::seconds(5)).status, Status::kNotStarted);
}

TEST(HttpWholeBodyTest, FailedConnectsFailStartAndATimeOutWritesTheDebugString) {
  catalogue::HttpClient client(ShortHttpOptions());
  client.receiveMode = catalogue::HttpClient::WholeBody;
  ASSERT_EQ(client.setUrl("http://no-such-host.invalid/"), 1);
  EXPECT_EQ(client.start(), 0);
  StalledListener listener;
  ASSERT_EQ(client.setUrl(listener.Url("/")), 1);
  platform::SetDebugOutputEnabled(true);
  ::testing::internal::CaptureStderr();
  auto begin = Clock::now();
  EXPECT_EQ(client.start(), 0);
  std::string log = ::testing::internal::GetCapturedStderr();
  platform::SetDebugOutputEnabled(false);
  EXPECT_LT(Clock::now() - begin, std::chrono::seconds(3));
  EXPECT_NE(log.find("*****TIMEOUT****\n"), std::string::npos);
  EXPECT_FALSE(client.isAborted());
  EXPECT_FALSE(client.isFinished());
}

TEST(HttpWholeBodyTest, SetUrlRefusesAndKeepsThePreviousUrl) {
  catalogue::HttpClient client;
  ASSERT_EQ(client.setUrl("http://127.0.0.1/ok"), 1);
  EXPECT_EQ(client.setUrl("http://127.0.0.1/a\r\nX-Evil: 1"), 0);
  EXPECT_EQ(client.setUrl(u"ftp://127.0.0.1/"), 0);
  EXPECT_EQ(client.url(), "http://127.0.0.1/ok");
  EXPECT_EQ(client.setUrl(u"http://127.0.0.1/\u00e9"), 1);
  EXPECT_EQ(client.url(), "http://127.0.0.1/\xc3\xa9");
}

// stop from another thread ends a connect in progress within the default 200 ms step.
TEST(HttpWholeBodyTest, StopDuringConnectReturnsQuickly) {
  StalledListener listener;
  catalogue::HttpClient client;  // the product's limits: 70 s connect, 200 ms steps
  client.receiveMode = catalogue::HttpClient::WholeBody;
  ASSERT_EQ(client.setUrl(listener.Url("/")), 1);
  std::atomic<bool> done{false};
  std::atomic<int> started{-1};
  auto begin = Clock::now();
  std::thread caller([&] {
    started = client.start();
    done = true;
  });
  // A stop that lands before start has begun does nothing; stop until start gives up.
  while (!done) {
    client.stop();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));  // lets start take the lock
  }
  caller.join();
  EXPECT_EQ(started, 0);
  EXPECT_LT(Clock::now() - begin, std::chrono::milliseconds(500));
}

TEST(HttpWholeBodyTest, StopDuringReceiveReturnsQuickly) {
  ScriptedServer server({ReadRequest(), Send("HTTP/1.0 200 OK\r\n\r\nsome"), Hang()});
  catalogue::HttpClient client;
  client.receiveMode = catalogue::HttpClient::WholeBody;
  ASSERT_EQ(client.setUrl(server.Url("/")), 1);
  ASSERT_EQ(client.start(), 1);
  ASSERT_TRUE(WaitUntil([&] { return client.bytesReceived() == 23; }));
  auto begin = Clock::now();
  client.stop();
  EXPECT_LT(Clock::now() - begin, std::chrono::milliseconds(500));
  EXPECT_FALSE(client.isAborted());  // stop clears both flags
  EXPECT_FALSE(client.isFinished());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(client.body()), client.bodyLength()), "some");
}

TEST(HttpWholeBodyTest, PeersThatCloseOrResetEarlyNeverKillTheProcess) {
  for (ServerScript script : {ServerScript{Reset()}, ServerScript{Close()}, ServerScript{ReadRequest(), Reset()}}) {
    ScriptedServer server(script);
    for (int i = 0; i < 20; ++i) {
      auto result = FetchWholeBody(server.Url("/"));
      if (result.started) {
        EXPECT_TRUE(result.finished || result.aborted);
      }
      EXPECT_EQ(result.body, "");
    }
  }
}

TEST(HttpWholeBodyTest, ThousandFailedRequestsLeakNoDescriptors) {
  ScriptedServer resetting(ServerScript{Reset()});
  const std::string refused = RefusingUrl();
  // Warm-up: the first request may open descriptors that stay (name service, thread caches).
  FetchWholeBody(refused);
  FetchWholeBody(resetting.Url("/"));
  ASSERT_TRUE(resetting.WaitForFinished(1, std::chrono::seconds(5)));
  int before = OpenFdCount();
  for (int i = 0; i < 1000; ++i) {
    catalogue::HttpClient client(ShortHttpOptions());
    client.receiveMode = catalogue::HttpClient::WholeBody;
    const bool refusing = i % 10 != 0;
    ASSERT_EQ(client.setUrl(refusing ? refused : resetting.Url("/")), 1);
    const int started = client.start();
    if (refusing) {
      ASSERT_EQ(started, 0) << "a refused connect fails start";
    }
    if (started) {
      ASSERT_TRUE(WaitUntil([&] { return client.isFinished() || client.isAborted(); }));
    }
  }
  ASSERT_TRUE(resetting.WaitForFinished(101, std::chrono::seconds(10)));
  EXPECT_EQ(OpenFdCount(), before);
}

// Whole and unchanged, no sooner than the link allows; resets pass on; a hang does not hold Stop.
TEST(ThrottlingProxyTest, DelaysAndLimitsButPassesEverythingOn) {
  std::string body(100000, '\0');
  for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i * 7 + i / 251);
  ScriptedServer server({Reply(HttpResponse(body, "audio/mpeg")),
                         {ReadRequest(), Send("HTTP/1.0 200 OK\r\nContent-Length: 9000\r\n\r\nabc"), Pause(50), Reset()},
                         {ReadRequest(), Hang()}});
  ThrottlingProxy proxy({std::chrono::milliseconds(100), 4'000'000});
  ASSERT_TRUE(proxy.Start(server.port()));
  EXPECT_FALSE(proxy.Start(server.port()));
  const Clock::time_point start = Clock::now();
  const catalogue::HttpClientOptions options = ShortHttpOptions(5'000'000);
  const auto whole = FetchWholeBody(proxy.BaseUrl() + "/track.mp3", options);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  EXPECT_TRUE(whole.finished);
  EXPECT_TRUE(whole.body == body) << whole.body.size() << " bytes arrived";
  // The handshake's round trip, the request's and the reply's way, 800,000 bits at 4 Mbit/s.
  EXPECT_GE(seconds, 0.1 + 0.1 + 0.2);
  EXPECT_LT(seconds, 0.4 + 0.5);
  const auto reset = FetchWholeBody(proxy.BaseUrl() + "/", options);
  EXPECT_TRUE(reset.aborted);
  EXPECT_EQ(reset.body, "abc");

  catalogue::HttpClient hanging(options);
  ASSERT_TRUE(hanging.setUrl(proxy.BaseUrl() + "/"));
  hanging.receiveMode = catalogue::HttpClient::WholeBody;
  ASSERT_EQ(hanging.start(), 1);
  ASSERT_TRUE(WaitUntil([&] { return server.AcceptedCount() == 3; }));
  const Clock::time_point stopAt = Clock::now();
  proxy.Stop();
  EXPECT_LT(Clock::now() - stopAt, std::chrono::milliseconds(500));
  EXPECT_EQ(proxy.ConnectionCount(), 3);
  EXPECT_EQ(FetchWholeBody(proxy.BaseUrl() + "/", options).started, 0) << "the stopped proxy still listens";
  EXPECT_TRUE(WaitUntil([&] { return hanging.isAborted() || hanging.isFinished(); }));
}

}  // namespace
