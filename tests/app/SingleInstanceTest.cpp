#include "app/SingleInstance.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <atomic>

#include "platform/headless/HeadlessBackend.h"
#include "platform/window/Window.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"

namespace {

using Outcome = app::SingleInstance::Outcome;

class SingleInstanceTest : public ::testing::Test {
 protected:
  SingleInstanceTest() : runtime_((dir_ / "runtime").string()) {
    std::filesystem::create_directory(runtime_);
    ::chmod(runtime_.c_str(), 0700);
  }

  testsupport::TempDir dir_;
  std::string runtime_;
};

// A later start is told another instance runs, also before the first set its handler (the
// request is answered and ignored); once set, the handler has run by the time the answer comes.
TEST_F(SingleInstanceTest, LaterStartsRaiseTheFirstUntilItCloses) {
  app::SingleInstance first(runtime_);
  ASSERT_EQ(first.Acquire(), Outcome::kFirst);
  EXPECT_EQ(app::SingleInstance(runtime_).Acquire(), Outcome::kOtherRunning);
  std::atomic<int> raised{0};
  first.SetRaiseHandler([&raised] { ++raised; });
  for (int start = 1; start <= 2; ++start) {
    EXPECT_EQ(app::SingleInstance(runtime_).Acquire(), Outcome::kOtherRunning);
    EXPECT_EQ(raised.load(), start);
  }
  first.Close();
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(runtime_) / app::SingleInstance::kSocketName));
  EXPECT_EQ(app::SingleInstance(runtime_).Acquire(), Outcome::kFirst);
}

// A socket file left by a crashed instance (no lock held) does not stop the next start.
TEST_F(SingleInstanceTest, StaleSocketIsReplaced) {
  const std::string path = runtime_ + "/" + app::SingleInstance::kSocketName;
  int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ::close(fd);  // the file stays, nobody listens

  app::SingleInstance first(runtime_);
  ASSERT_EQ(first.Acquire(), Outcome::kFirst);
  std::atomic<int> raised{0};
  first.SetRaiseHandler([&raised] { ++raised; });
  EXPECT_EQ(app::SingleInstance(runtime_).Acquire(), Outcome::kOtherRunning);
  EXPECT_EQ(raised.load(), 1);
}

// A runtime directory others may enter is not trusted: the program runs unguarded.
TEST_F(SingleInstanceTest, SharedDirectoryIsNotUsed) {
  ::chmod(runtime_.c_str(), 0777);
  app::SingleInstance first(runtime_);
  EXPECT_EQ(first.Acquire(), Outcome::kFirst);
  EXPECT_EQ(app::SingleInstance(runtime_).Acquire(), Outcome::kFirst);
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(runtime_) / app::SingleInstance::kLockName));
}

TEST_F(SingleInstanceTest, MissingDirectoryIsCreatedPrivate) {
  const std::string fresh = (dir_ / "fresh").string();
  app::SingleInstance first(fresh);
  ASSERT_EQ(first.Acquire(), Outcome::kFirst);
  struct stat info {};
  ASSERT_EQ(::stat(fresh.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
}

// A raise asked from another thread reaches the window's backend on the UI thread.
TEST(WindowRaise, RequestFromAnotherThreadRaisesAtTheNextPass) {
  std::vector<std::string> log;
  platform::HeadlessBackend backend([&log](const std::string& line) { log.push_back(line); });
  platform::Window window(backend, platform::Size{240, 320}, u"Vornalo Mobile");
  std::thread asker([&window] { window.RequestRaise(); });
  asker.join();
  EXPECT_TRUE(window.RunUntil([&log] { return !log.empty(); }, std::chrono::seconds(5)));
  EXPECT_EQ(log, std::vector<std::string>{"Window raised"});
}

}  // namespace
