// 200 concurrent loopback clients each download a 5 MB track from one server at full speed;
// every byte is checked. Reports refused or short downloads and the aggregate throughput.
//
//   vornalo-bench-download [clients]

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "server/CatalogueServer.h"
#include "tools/demo/DemoLibraryWriter.h"

namespace {

constexpr int kDefaultClients = 200;
constexpr size_t kTargetBytes = 5 * 1024 * 1024;

// Downloads path; true when the body equals expected.
bool Download(uint16_t port, const std::string& path, const std::string& expected) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bool ok = fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  const std::string request = "GET " + path + " HTTP/1.0\r\n\r\n";
  ok = ok && ::send(fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size());
  std::string reply;
  reply.reserve(expected.size() + 512);
  char buffer[65536];
  for (ssize_t got; ok && (got = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) reply.append(buffer, got);
  if (fd >= 0) ::close(fd);
  const size_t body = reply.find("\r\n\r\n");
  return ok && body != std::string::npos && reply.compare(body + 4, std::string::npos, expected) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  const int clients = argc > 1 ? std::atoi(argv[1]) : kDefaultClients;
  rlimit limit{};
  getrlimit(RLIMIT_NOFILE, &limit);
  limit.rlim_cur = limit.rlim_max;
  setrlimit(RLIMIT_NOFILE, &limit);

  const std::filesystem::path root = std::filesystem::temp_directory_path() / ("vornalo-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(root);
  demo::DemoTrack track;
  track.relativePath = "big.mp3";
  track.title = "Big";
  track.piece.seconds = 10;
  const std::vector<uint8_t> one = demo::DemoLibraryWriter::Encode(track);
  {
    std::ofstream out(root / "big.mp3", std::ios::binary);
    for (size_t written = 0; written < kTargetBytes; written += one.size()) {
      out.write(reinterpret_cast<const char*>(one.data()), one.size());
    }
  }
  demo::DemoLibraryWriter::WriteTags(root / "big.mp3", track);
  std::ifstream in(root / "big.mp3", std::ios::binary);
  std::stringstream contents;
  contents << in.rdbuf();
  const std::string expected = contents.str();

  server::CatalogueServer catalogue;
  server::ServerOptions options;
  options.library = root;
  if (!catalogue.Start(options)) return 1;

  std::atomic<int> intact{0};
  std::vector<std::thread> threads;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < clients; ++i) {
    threads.emplace_back([&] {
      if (Download(catalogue.Port(), "/stream/1.mp3", expected)) ++intact;
    });
  }
  for (std::thread& thread : threads) thread.join();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  catalogue.Stop();
  std::filesystem::remove_all(root);

  const double megabytes = static_cast<double>(expected.size()) * intact / (1024.0 * 1024.0);
  std::printf("%d clients x %.1f MB: %d intact, %d refused or short, %.2f s, %.0f MB/s aggregate\n", clients,
              expected.size() / (1024.0 * 1024.0), intact.load(), clients - intact.load(), seconds, megabytes / seconds);
  return intact == clients ? 0 : 1;
}
