// vornalo-server as a program: SIGHUP rescans a library it does not watch, and a file TagLib
// cannot read is reported once however often the library is rescanned.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/server/LiveServer.h"
#include "tests/server/TestLibrary.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"

extern char** environ;

namespace {

using namespace servertest;

// vornalo-server started with arguments, its output going to files; killed and reaped when
// the object goes away.
class ServerProcess {
 public:
  ServerProcess(const testsupport::TempDir& dir, std::vector<std::string> arguments)
      : out_(dir / "server.out"), err_(dir / "server.err") {
    arguments.insert(arguments.begin(), VORNALO_SERVER_PROGRAM);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~ServerProcess() { Stop(); }

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
  void Signal(int number) const { ::kill(pid_, number); }
  // Stops the server (SIGTERM) and waits for it; its exit status.
  int Stop() {
    if (pid_ <= 0) return -1;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return status;
  }
  std::string Errors() const { return testsupport::ReadFile(err_); }

 private:
  std::filesystem::path out_, err_;
  pid_t pid_ = -1;
};

int Total(uint16_t port, const std::string& word) {
  const HttpResult reply = Get(port, SearchTarget(word, 0, 0, 1));
  const size_t at = reply.body.find("<filter_count_total>");
  return at == std::string::npos ? -1 : std::atoi(reply.body.c_str() + at + 20);
}

size_t Count(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
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
  EXPECT_EQ(Count(server.Errors(), "broken.mp3"), 1u) << server.Errors();
}

}  // namespace
