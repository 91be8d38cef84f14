// Stream-mode throughput of HttpStream, with one reader draining it in 4,096-byte reads as the
// stream player does, against `curl -s -o /dev/null` fetching the same URL from the same local
// server, measured side by side in one run. Also counts heap allocations while streaming.
//
//   http_stream_bench [MEGABYTES] [ROUNDS]      (default 200 MB, 3 rounds)

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/HttpStream.h"
#include "platform/ChildProcess.h"

namespace {

std::atomic<long> allocations{0};
constexpr std::size_t kSendBlock = 64 * 1024;
constexpr std::uint32_t kReadSize = 4096;

// Serves every connection the same reply: headers and `bodyBytes` bytes, then closes.
class BodyServer {
 public:
  explicit BodyServer(std::size_t bodyBytes) : bodyBytes_(bodyBytes), block_(kSendBlock, 'x') {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd_, 16) != 0 || ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
      std::perror("listen");
      std::exit(1);
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~BodyServer() {
    stopping_ = true;
    ::shutdown(fd_, SHUT_RDWR);
    thread_.join();
    ::close(fd_);
  }
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/big.mp3"; }

 private:
  void Serve() {
    while (!stopping_) {
      int client = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
      if (client < 0) return;
      char request[4096];
      (void)!::recv(client, request, sizeof request, 0);
      std::string head = "HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\nContent-Length: " +
                         std::to_string(bodyBytes_) + "\r\n\r\n";
      bool ok = ::send(client, head.data(), head.size(), MSG_NOSIGNAL) > 0;
      for (std::size_t left = bodyBytes_; ok && left > 0;) {
        std::size_t n = std::min(left, block_.size());
        ssize_t sent = ::send(client, block_.data(), n, MSG_NOSIGNAL);
        if (sent <= 0) break;
        left -= static_cast<std::size_t>(sent);
      }
      ::close(client);
    }
  }

  std::size_t bodyBytes_;
  std::string block_;
  int fd_ = -1;
  std::uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

struct StreamRun {
  double seconds;
  std::uint64_t bytes;
  long allocations;
};

StreamRun RunHttpStream(catalogue::HttpStream& stream, const std::string& url) {
  std::vector<std::uint8_t> buffer(kReadSize);
  stream.reset();
  stream.setUrl(url);
  auto begin = std::chrono::steady_clock::now();
  if (!stream.start()) {
    std::fprintf(stderr, "HttpStream start failed\n");
    std::exit(1);
  }
  long before = allocations.load();
  std::uint64_t total = 0;
  std::uint32_t got = 0;
  while (stream.readStream(buffer.data(), kReadSize, &got)) total += got;
  total += got;
  long during = allocations.load() - before;
  double seconds = Seconds(std::chrono::steady_clock::now() - begin);
  stream.reset();
  return {seconds, total, during};
}

double RunCurl(const std::string& url) {
  auto begin = std::chrono::steady_clock::now();
  platform::ChildProcess curl("curl", {"-s", "-o", "/dev/null", url}, {}, {}, "/dev/null");
  if (!curl.Started()) {
    std::fprintf(stderr, "cannot start curl (Debian package curl)\n");
    std::exit(1);
  }
  curl.Wait();
  if (curl.ExitCode() != 0) {
    std::fprintf(stderr, "curl failed\n");
    std::exit(1);
  }
  return Seconds(std::chrono::steady_clock::now() - begin);
}

}  // namespace

void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

int main(int argc, char** argv) {
  std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 200;
  int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  if (megabytes == 0 || rounds <= 0) {
    std::fprintf(stderr, "usage: http_stream_bench [MEGABYTES] [ROUNDS]\n");
    return 2;
  }
  const std::size_t bodyBytes = megabytes * 1024 * 1024;
  BodyServer server(bodyBytes);
  catalogue::HttpStream stream;
  std::vector<double> streamRates, curlRates;
  long streamingAllocations = 0;
  for (int round = 0; round < rounds; ++round) {
    StreamRun run = RunHttpStream(stream, server.Url());
    if (run.bytes < bodyBytes) {
      std::fprintf(stderr, "HttpStream received %llu of %zu body bytes\n",
                   static_cast<unsigned long long>(run.bytes), bodyBytes);
      return 1;
    }
    streamingAllocations += run.allocations;
    double curlSeconds = RunCurl(server.Url());
    streamRates.push_back(run.bytes / run.seconds / 1e6);
    curlRates.push_back(bodyBytes / curlSeconds / 1e6);
    std::printf("round %d: HttpStream %.0f MB/s, curl %.0f MB/s, ratio %.2f\n", round + 1,
                streamRates.back(), curlRates.back(), streamRates.back() / curlRates.back());
  }
  std::sort(streamRates.begin(), streamRates.end());
  std::sort(curlRates.begin(), curlRates.end());
  double streamMedian = streamRates[streamRates.size() / 2];
  double curlMedian = curlRates[curlRates.size() / 2];
  std::printf("%zu MB reply, %d rounds, median: HttpStream %.0f MB/s, curl %.0f MB/s, "
              "ratio %.2fx curl\n",
              megabytes, rounds, streamMedian, curlMedian, streamMedian / curlMedian);
  std::printf("heap allocations while streaming: %ld\n", streamingAllocations);
  return 0;
}
