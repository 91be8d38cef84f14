#include "catalogue/TcpSocket.h"

#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cstring>
#include <utility>

namespace catalogue {

TcpSocket& TcpSocket::operator=(TcpSocket&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::move(other.fd_);
  }
  return *this;
}

void TcpSocket::Close() {
  if (!fd_) return;
  ::shutdown(fd_.Get(), SHUT_RDWR);
  fd_.Reset();
}

bool TcpSocket::BeginConnect(const std::string& host, int port) {
  Close();
  // "[v6 address]" as a URL writes it; a name or IPv4 address as it stands.
  const bool bracketed = host.size() > 2 && host.front() == '[' && host.back() == ']';
  const std::string name = bracketed ? host.substr(1, host.size() - 2) : host;
  sockaddr_storage address{};
  socklen_t size = 0;
  auto* v4 = reinterpret_cast<sockaddr_in*>(&address);
  auto* v6 = reinterpret_cast<sockaddr_in6*>(&address);
  if (::inet_pton(AF_INET, name.c_str(), &v4->sin_addr) == 1) {
    v4->sin_family = AF_INET;
    size = sizeof *v4;
  } else if (::inet_pton(AF_INET6, name.c_str(), &v6->sin6_addr) == 1) {
    v6->sin6_family = AF_INET6;
    size = sizeof *v6;
  } else {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || !found) return false;
    std::memcpy(&address, found->ai_addr, found->ai_addrlen);
    size = found->ai_addrlen;
    ::freeaddrinfo(found);
  }
  if (address.ss_family == AF_INET6) {
    v6->sin6_port = htons(static_cast<std::uint16_t>(port));
  } else {
    v4->sin_port = htons(static_cast<std::uint16_t>(port));
  }
  fd_.Reset(::socket(address.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (!fd_) return false;
  if (::connect(fd_.Get(), reinterpret_cast<const sockaddr*>(&address), size) != 0 && errno != EINPROGRESS) {
    Close();
    return false;
  }
  return true;
}

TcpSocket::WaitResult TcpSocket::Wait(short events, std::int64_t micros) {
  pollfd entry{fd_.Get(), events, 0};
  int millis = static_cast<int>((micros + 999) / 1000);
  int ready;
  do {
    ready = ::poll(&entry, 1, millis);
  } while (ready < 0 && errno == EINTR);
  if (ready < 0) return WaitResult::kError;
  if (ready == 0) return WaitResult::kTimeout;
  // Readable also covers a closed or failed connection: the next recv reports it.
  if ((entry.revents & events) == 0 && (entry.revents & (POLLERR | POLLNVAL))) {
    return WaitResult::kError;
  }
  return WaitResult::kReady;
}

TcpSocket::WaitResult TcpSocket::WaitConnected(std::int64_t micros) {
  WaitResult result = Wait(POLLOUT, micros);
  if (result == WaitResult::kTimeout) return result;
  // Writable or an error event: the socket's pending error tells a connection from a refusal.
  int error = 0;
  socklen_t size = sizeof error;
  if (::getsockopt(fd_.Get(), SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0) {
    return WaitResult::kError;
  }
  return result;
}

TcpSocket::WaitResult TcpSocket::WaitReadable(std::int64_t micros) { return Wait(POLLIN, micros); }

TcpSocket::WaitResult TcpSocket::WaitWritable(std::int64_t micros) {
  return Wait(POLLOUT, micros);
}

ssize_t TcpSocket::Receive(void* buffer, std::size_t length) {
  ssize_t n;
  do {
    n = ::recv(fd_.Get(), buffer, length, 0);
  } while (n < 0 && errno == EINTR);
  return n;
}

ssize_t TcpSocket::Send(const void* bytes, std::size_t length) {
  ssize_t n;
  do {
    n = ::send(fd_.Get(), bytes, length, MSG_NOSIGNAL);
  } while (n < 0 && errno == EINTR);
  return n;
}

ssize_t TcpSocket::ReceiveVector(const iovec* buffers, int count) {
  ssize_t n;
  do {
    n = ::readv(fd_.Get(), buffers, count);
  } while (n < 0 && errno == EINTR);
  return n;
}

}  // namespace catalogue
