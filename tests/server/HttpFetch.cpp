#include "tests/server/HttpFetch.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <strings.h>
#include <sys/socket.h>
#include <sys/time.h>

#include <cstdlib>

namespace servertest {

platform::UniqueFd ConnectLoopback(uint16_t port, int receiveBuffer) {
  platform::UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!fd) return fd;
  timeval timeout{kReceiveTimeoutSeconds, 0};
  setsockopt(fd.Get(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  if (receiveBuffer > 0) setsockopt(fd.Get(), SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return platform::UniqueFd();
  return fd;
}

std::string HttpResult::Header(const std::string& name) const {
  size_t line = head.find("\r\n");
  while (line != std::string::npos && line + 2 < head.size()) {
    const size_t start = line + 2;
    const size_t end = head.find("\r\n", start);
    const std::string text = head.substr(start, end == std::string::npos ? std::string::npos : end - start);
    const size_t colon = text.find(':');
    if (colon == name.size() && strncasecmp(text.c_str(), name.c_str(), name.size()) == 0) {
      size_t value = colon + 1;
      while (value < text.size() && text[value] == ' ') ++value;
      return text.substr(value);
    }
    line = end;
  }
  return "";
}

HttpResult Exchange(uint16_t port, const std::string& request) {
  HttpResult result;
  platform::UniqueFd fd = ConnectLoopback(port);
  if (!fd) return result;
  if (::send(fd.Get(), request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size())) {
    return result;
  }
  std::string reply;
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::recv(fd.Get(), buffer, sizeof buffer, 0);
    if (got == 0) {
      result.closed = true;
      break;
    }
    if (got < 0) break;
    reply.append(buffer, static_cast<size_t>(got));
  }
  const size_t split = reply.find("\r\n\r\n");
  if (split == std::string::npos) {
    result.head = reply;
    return result;
  }
  result.head = reply.substr(0, split + 2);
  result.body = reply.substr(split + 4);
  if (result.head.size() > 9) result.status = std::atoi(result.head.c_str() + 9);
  return result;
}

HttpResult Get(uint16_t port, const std::string& target, const std::string& extraHeaders) {
  return Exchange(port, "GET " + target + " HTTP/1.0\r\nHost: 127.0.0.1\r\nAccept: */*\r\nUser-Agent: test\r\n" +
                            extraHeaders + "\r\n");
}

}  // namespace servertest
