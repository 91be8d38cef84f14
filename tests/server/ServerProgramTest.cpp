// vornalo-server as a program: SIGHUP rescans, an unreadable file is reported once.

#include <signal.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/ChildProcess.h"
#include "tests/server/LiveServer.h"
#include "tests/server/TestLibrary.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"

namespace {

using namespace servertest;

// vornalo-server with arguments, output to files; killed and reaped on destruction.
class ServerProcess {
 public:
  ServerProcess(const testsupport::TempDir& dir, const std::vector<std::string>& arguments)
      : out_(dir / "server.out"),
        err_(dir / "server.err"),
        child_(VORNALO_SERVER_PROGRAM, arguments, {}, {}, out_, err_) {}

  // The port from the "serving ... at http://127.0.0.1:PORT/" line; 0 when it does not come.
  uint16_t WaitForPort() {
    uint16_t port = 0;
    testsupport::WaitUntil([&] {
      const std::string out = testsupport::ReadFile(out_);
      const size_t at = out.find("127.0.0.1:");
      if (at != std::string::npos && out.find('/', at) != std::string::npos) port = std::atoi(out.c_str() + at + 10);
      return port != 0;
    });
    return port;
  }
  void Signal(int number) { child_.Kill(number); }
  // Stops the server (SIGTERM) and waits for it; its exit status.
  int Stop() {
    if (!child_.Started()) return -1;
    child_.Kill(SIGTERM);
    child_.Wait();
    return child_.Status();
  }
  std::string Errors() const { return testsupport::ReadFile(err_); }

 private:
  std::filesystem::path out_, err_;
  platform::ChildProcess child_;
};

int Total(uint16_t port, const std::string& word) {
  const HttpResult reply = Get(port, SearchTarget(word, 0, 0, 1));
  const size_t at = reply.body.find("<filter_count_total>");
  return at == std::string::npos ? -1 : std::atoi(reply.body.c_str() + at + 20);
}

TEST(ServerProgramTest, HangupRescansAndAnUnreadableFileIsReportedOnce) {
  TestLibrary library;
  testsupport::TempDir work;
  library.AddTrack({"first.mp3", "Lantern", "Wick", "", "", ""});
  testsupport::WriteFile(library / "broken.mp3", std::string(4096, 'x'));
  ServerProcess server(work, {"--library", library.Root().string(), "--db", (work / "index.sqlite").string(),
                              "--port", "0", "--api-key", kTestKey, "--no-watch"});
  const uint16_t port = server.WaitForPort();
  ASSERT_NE(port, 0) << server.Errors();
  ASSERT_EQ(Total(port, "lantern"), 1);

  // Unwatched: new files appear only when a rescan is asked for, each time.
  for (const char* title : {"Lantern Two", "Lantern Three"}) {
    library.AddTrack({std::string(title) + ".mp3", title, "Wick", "", "", ""});
    const int expected = Total(port, "lantern") + 1;
    server.Signal(SIGHUP);
    EXPECT_TRUE(testsupport::WaitUntil([&] { return Total(port, "lantern") == expected; },
                                       std::chrono::seconds(5)));
  }
  EXPECT_EQ(server.Stop(), 0);
  EXPECT_EQ(testsupport::CountOf(server.Errors(), "broken.mp3"), 1u) << server.Errors();
}

}  // namespace
