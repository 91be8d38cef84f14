#include "tests/support/ThrottlingProxy.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <deque>
#include <stdexcept>

namespace testsupport {
namespace {

using Clock = std::chrono::steady_clock;

// Bytes one packet carries (an Ethernet frame's TCP payload).
constexpr std::size_t kPacketBytes = 1460;
// Bytes read from a socket at a time.
constexpr std::size_t kReadBytes = 16384;
// Bytes held for one way before the proxy stops reading from its sender.
constexpr std::size_t kMaxQueuedBytes = 128 * 1024;

sockaddr_in Loopback(std::uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  return address;
}

// Closes with a reset (RST) instead of an orderly end.
void CloseWithReset(platform::UniqueFd& fd) {
  linger hard{1, 0};
  ::setsockopt(fd.Get(), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
  fd.Reset();
}

void SetNonBlocking(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK); }

// One way of a connection: what was read from `from` and is due to be written to `to`.
struct Way {
  struct Packet {
    Clock::time_point due;
    std::string bytes;
  };
  int from = -1;
  int to = -1;
  std::deque<Packet> queue;
  std::size_t queuedBytes = 0;
  std::size_t sentOfFront = 0;
  Clock::time_point linkFreeAt{};  // when the packets queued so far have left the sender
  bool ended = false;              // `from` ended (or failed: `reset`)
  bool reset = false;
  bool shut = false;               // the end was passed on to `to`

  bool CanRead() const { return !ended && queuedBytes < kMaxQueuedBytes; }
  bool Due(Clock::time_point now) const { return !queue.empty() && queue.front().due <= now; }
};

}  // namespace

ThrottlingProxy::ThrottlingProxy(Link link) : link_(link) {
  listenFd_ = platform::UniqueFd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_in address = Loopback(0);
  socklen_t length = sizeof address;
  const int one = 1;
  ::setsockopt(listenFd_.Get(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  if (!listenFd_ || ::bind(listenFd_.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listenFd_.Get(), SOMAXCONN) != 0 ||
      ::getsockname(listenFd_.Get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    throw std::runtime_error("ThrottlingProxy: cannot listen on 127.0.0.1");
  }
  port_ = ntohs(address.sin_port);
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) throw std::runtime_error("ThrottlingProxy: no pipe");
  wakeRead_ = platform::UniqueFd(pipeFds[0]);
  wakeWrite_ = platform::UniqueFd(pipeFds[1]);
}

ThrottlingProxy::~ThrottlingProxy() { Stop(); }

bool ThrottlingProxy::Start(std::uint16_t targetPort) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (acceptor_.joinable() || stopping_) return false;
  targetPort_ = targetPort;
  acceptor_ = std::thread(&ThrottlingProxy::AcceptLoop, this);
  return true;
}

void ThrottlingProxy::Stop() {
  std::vector<std::thread> connections;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!stopping_) {
      stopping_ = true;
      const char byte = 1;
      [[maybe_unused]] ssize_t written = ::write(wakeWrite_.Get(), &byte, 1);
    }
  }
  if (acceptor_.joinable()) acceptor_.join();
  listenFd_.Reset();  // nothing polls it now: the port is given back, the backlog refused
  {
    std::lock_guard<std::mutex> lock(mutex_);
    connections.swap(connections_);
  }
  for (std::thread& connection : connections) connection.join();
}

std::string ThrottlingProxy::BaseUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }

int ThrottlingProxy::ConnectionCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return accepted_;
}

bool ThrottlingProxy::WaitStopped(std::chrono::milliseconds duration) const {
  pollfd wake{wakeRead_.Get(), POLLIN, 0};
  return ::poll(&wake, 1, static_cast<int>(duration.count())) > 0;
}

void ThrottlingProxy::AcceptLoop() {
  for (;;) {
    pollfd entries[2] = {{listenFd_.Get(), POLLIN, 0}, {wakeRead_.Get(), POLLIN, 0}};
    if (::poll(entries, 2, -1) < 0 && errno != EINTR) return;
    if (entries[1].revents) return;
    if (!(entries[0].revents & POLLIN)) continue;
    platform::UniqueFd client(::accept4(listenFd_.Get(), nullptr, nullptr, SOCK_CLOEXEC));
    if (!client) continue;
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_) return;
    ++accepted_;
    connections_.emplace_back(&ThrottlingProxy::Forward, this, std::move(client));
  }
}

void ThrottlingProxy::Forward(platform::UniqueFd client) {
  if (WaitStopped(link_.roundTrip)) return;
  platform::UniqueFd server(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  const sockaddr_in target = Loopback(targetPort_);
  if (!server || ::connect(server.Get(), reinterpret_cast<const sockaddr*>(&target), sizeof target) != 0) {
    CloseWithReset(client);
    return;
  }
  SetNonBlocking(client.Get());
  SetNonBlocking(server.Get());
  const auto oneWay = std::chrono::duration_cast<Clock::duration>(link_.roundTrip) / 2;
  Way ways[2];
  ways[0].from = ways[1].to = client.Get();
  ways[0].to = ways[1].from = server.Get();
  std::string buffer(kReadBytes, '\0');
  for (;;) {
    Clock::time_point now = Clock::now();
    for (Way& way : ways) {
      while (way.Due(now)) {
        const std::string& bytes = way.queue.front().bytes;
        const ssize_t sent = ::send(way.to, bytes.data() + way.sentOfFront, bytes.size() - way.sentOfFront,
                                    MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) break;
        if (sent < 0) return;  // the receiver went away: both sides are closed
        way.sentOfFront += static_cast<std::size_t>(sent);
        if (way.sentOfFront < bytes.size()) continue;
        way.queuedBytes -= bytes.size();
        way.sentOfFront = 0;
        way.queue.pop_front();
      }
      if (way.ended && way.queue.empty() && !way.shut) {
        if (way.reset) {
          CloseWithReset(way.to == client.Get() ? client : server);
          return;
        }
        ::shutdown(way.to, SHUT_WR);
        way.shut = true;
      }
    }
    if (ways[0].shut && ways[1].shut) return;

    // Sockets to watch: reading where a way has room, writing where a packet is due.
    pollfd entries[3] = {{client.Get(), 0, 0}, {server.Get(), 0, 0}, {wakeRead_.Get(), POLLIN, 0}};
    int timeoutMs = -1;
    for (int i = 0; i < 2; ++i) {
      if (ways[i].CanRead()) entries[i].events |= POLLIN;
      if (ways[i].Due(now)) entries[1 - i].events |= POLLOUT;
      if (!ways[i].queue.empty() && !ways[i].Due(now)) {
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(ways[i].queue.front().due - now).count();
        timeoutMs = timeoutMs < 0 ? static_cast<int>(wait) : std::min(timeoutMs, static_cast<int>(wait));
      }
    }
    for (pollfd& entry : entries) {
      if (entry.events == 0) entry.fd = -1;
    }
    if (::poll(entries, 3, timeoutMs) < 0 && errno != EINTR) return;
    if (entries[2].revents) return;
    now = Clock::now();
    for (int i = 0; i < 2; ++i) {
      Way& way = ways[i];
      if (!(entries[i].events & POLLIN) || !(entries[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      const ssize_t got = ::recv(way.from, buffer.data(), buffer.size(), MSG_DONTWAIT);
      if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) continue;
      if (got <= 0) {
        way.ended = true;
        way.reset = got < 0;
        continue;
      }
      for (std::size_t at = 0; at < static_cast<std::size_t>(got); at += kPacketBytes) {
        const std::size_t size = std::min(kPacketBytes, static_cast<std::size_t>(got) - at);
        way.linkFreeAt = std::max(way.linkFreeAt, now);
        if (link_.bitsPerSecond > 0) {
          way.linkFreeAt += std::chrono::duration_cast<Clock::duration>(
              std::chrono::duration<double>(double(size) * 8 / double(link_.bitsPerSecond)));
        }
        way.queue.push_back({way.linkFreeAt + oneWay, buffer.substr(at, size)});
        way.queuedBytes += size;
      }
    }
  }
}

}  // namespace testsupport
