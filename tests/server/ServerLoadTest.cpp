// The catalogue server under load: idle and slow clients, many parallel downloads.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "tests/server/LiveServer.h"
#include "tests/server/XmlProbe.h"
#include "tests/support/WaitUntil.h"

namespace {

using namespace servertest;
using Clock = std::chrono::steady_clock;

constexpr int kIdleConnections = 1000;
constexpr int kParallelDownloads = 50;
constexpr unsigned kShortTimeoutSeconds = 1;

// Resident memory in kB, read without allocating (measuring must not grow the heap).
long ResidentKilobytes() {
  const int fd = ::open("/proc/self/statm", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  char text[128] = {};
  const ssize_t got = ::read(fd, text, sizeof text - 1);
  ::close(fd);
  long size = 0, resident = 0;
  if (got <= 0 || std::sscanf(text, "%ld %ld", &size, &resident) != 2) return 0;
  return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

class ServerLoadTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Room for both ends of every idle connection in this one process.
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);

    library_ = std::make_unique<TestLibrary>();
    library_->AddTrack({"quick.mp3", "Quick Search Target", "Loader", "", "", ""});
    // About 8 MB: more than the kernel buffers on both sides of a loopback socket hold.
    library_->AddTrack({"big.mp3", "Big Download", "Loader", "", "", "", 10.0, 200});
    server_ = StartServer(*library_, kShortTimeoutSeconds);
    ASSERT_TRUE(server_);
    bigFile_ = testsupport::ReadFile(*library_ / "big.mp3");
    ASSERT_GT(bigFile_.size(), 6u * 1024 * 1024);
    const auto ids = XmlProbe::Parse(Get(server_->Port(), SearchTarget("big+download", 0, 1)).body).Texts("mp3_url_id");
    ASSERT_EQ(ids.size(), 1u);
    bigTarget_ = "/stream/" + ids[0] + ".mp3";
  }
  static void TearDownTestSuite() {
    server_.reset();
    library_.reset();
  }

  static std::unique_ptr<TestLibrary> library_;
  static std::unique_ptr<server::CatalogueServer> server_;
  static std::string bigFile_;
  static std::string bigTarget_;
};

std::unique_ptr<TestLibrary> ServerLoadTest::library_;
std::unique_ptr<server::CatalogueServer> ServerLoadTest::server_;
std::string ServerLoadTest::bigFile_;
std::string ServerLoadTest::bigTarget_;

TEST_F(ServerLoadTest, IdleConnectionsDoNotDelayASearchAndAreClosedAtTheTimeOut) {
  std::vector<platform::UniqueFd> idle;
  for (int i = 0; i < kIdleConnections; ++i) {
    platform::UniqueFd fd = ConnectLoopback(server_->Port());
    ASSERT_TRUE(fd) << "connection " << i;
    if (i % 2 == 0) ::send(fd.Get(), "GET /api/wm_app/sea", 19, MSG_NOSIGNAL);  // half a request line
    idle.push_back(std::move(fd));
  }
  const auto start = Clock::now();
  const HttpResult result = Get(server_->Port(), SearchTarget("quick", 0, 10));
  const auto elapsed = Clock::now() - start;
  EXPECT_EQ(result.status, 200);
  EXPECT_EQ(XmlProbe::Parse(result.body).Texts("result_list_item").size(), 1u);
  EXPECT_LT(elapsed, std::chrono::seconds(1));
  // Still held open on this side: the server closes every one at its time-out.
  EXPECT_TRUE(testsupport::WaitUntil([] { return server_->ConnectionCount() == 0; },
                                     std::chrono::seconds(kShortTimeoutSeconds + 5)));
  char byte = 0;
  for (const platform::UniqueFd* fd : {&idle.front(), &idle.back()}) EXPECT_EQ(::recv(fd->Get(), &byte, 1, 0), 0);
}

TEST_F(ServerLoadTest, ASlowReaderIsDroppedAtTheWriteTimeOut) {
  constexpr int kSmallWindow = 4096;
  platform::UniqueFd fd = ConnectLoopback(server_->Port(), kSmallWindow);
  ASSERT_TRUE(fd);
  const std::string request = "GET " + bigTarget_ + " HTTP/1.0\r\n\r\n";
  ASSERT_EQ(::send(fd.Get(), request.data(), request.size(), MSG_NOSIGNAL), static_cast<ssize_t>(request.size()));

  // After the first byte, read one byte at a time at a crawl until the server lets go.
  char byte = 0;
  ASSERT_EQ(::recv(fd.Get(), &byte, 1, 0), 1);
  ASSERT_EQ(server_->ConnectionCount(), 1u);
  const auto start = Clock::now();
  size_t received = 1;
  while (server_->ConnectionCount() != 0 && Clock::now() - start < std::chrono::seconds(15)) {
    if (::recv(fd.Get(), &byte, 1, MSG_DONTWAIT) == 1) ++received;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_EQ(server_->ConnectionCount(), 0u);
  const auto elapsed = Clock::now() - start;
  EXPECT_GE(elapsed, std::chrono::milliseconds(500)) << "dropped for being slow, not at once";
  EXPECT_LT(elapsed, std::chrono::seconds(kShortTimeoutSeconds + 8));
  EXPECT_LT(received, bigFile_.size());
}

TEST_F(ServerLoadTest, ParallelDownloadsAreStreamedNotBuffered) {
  const long before = ResidentKilobytes();
  std::atomic<int> intact{0};
  std::atomic<long> peak{0};
  std::vector<std::thread> clients;
  for (int i = 0; i < kParallelDownloads; ++i) {
    clients.emplace_back([&] {
      platform::UniqueFd fd = ConnectLoopback(server_->Port());
      const std::string request = "GET " + bigTarget_ + " HTTP/1.0\r\n\r\n";
      if (!fd || ::send(fd.Get(), request.data(), request.size(), MSG_NOSIGNAL) < 0) return;
      // Skip the head a byte at a time, then compare the body as it comes, without keeping it.
      std::string head;
      char buffer[16384];
      while ((head.size() < 4 || head.compare(head.size() - 4, 4, "\r\n\r\n") != 0) && head.size() < 4096 &&
             ::recv(fd.Get(), buffer, 1, 0) == 1) {
        head += buffer[0];
      }
      size_t offset = 0;
      bool same = true;
      for (ssize_t got; (got = ::recv(fd.Get(), buffer, sizeof buffer, 0)) > 0; offset += static_cast<size_t>(got)) {
        const size_t count = static_cast<size_t>(got);
        same = same && offset + count <= bigFile_.size() && bigFile_.compare(offset, count, buffer, count) == 0;
        long now = ResidentKilobytes(), seen = peak.load();
        while (now > seen && !peak.compare_exchange_weak(seen, now)) {
        }
      }
      if (same && offset == bigFile_.size()) ++intact;
    });
  }
  for (std::thread& client : clients) client.join();
  EXPECT_EQ(intact.load(), kParallelDownloads);
  // 50 copies of the file would be about 400 MB; streaming needs next to nothing.
  EXPECT_LT(peak.load() - before, 100L * 1024) << "kB grown while serving";
}

}  // namespace
