#include "tests/server/LiveServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>

#include <cstdlib>

namespace servertest {

std::unique_ptr<server::CatalogueServer> StartServer(const TestLibrary& library, unsigned timeoutSeconds,
                                                     const std::string& versionReply) {
  server::ServerOptions options;
  options.library = library.Root();
  options.apiKey = kTestKey;
  options.timeoutSeconds = timeoutSeconds;
  options.versionReply = versionReply;
  auto server = std::make_unique<server::CatalogueServer>();
  return server->Start(options) ? std::move(server) : nullptr;
}

std::string SearchTarget(const std::string& encodedQuery, int s, int n, int kinds) {
  return "/api/wm_app/search?q=" + encodedQuery + "&rm=" + std::to_string(kinds & 1) +
         "&rp=" + std::to_string((kinds >> 1) & 1) + "&rv=0&rt=" + std::to_string((kinds >> 2) & 1) +
         "&s=" + std::to_string(s) + "&n=" + std::to_string(n) + "&sk=" + kTestKey + "&v=1.4&di=dGVzdA==";
}

platform::UniqueFd ConnectLoopback(uint16_t port, int receiveBuffer) {
  platform::UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!fd) return fd;
  timeval timeout{10, 0};
  setsockopt(fd.Get(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  if (receiveBuffer > 0) setsockopt(fd.Get(), SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return platform::UniqueFd();
  return fd;
}

HttpResult Exchange(uint16_t port, const std::string& request) {
  HttpResult result;
  platform::UniqueFd fd = ConnectLoopback(port);
  if (!fd || ::send(fd.Get(), request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size())) {
    return result;
  }
  std::string reply;
  char buffer[65536];
  ssize_t got;
  while ((got = ::recv(fd.Get(), buffer, sizeof buffer, 0)) > 0) reply.append(buffer, static_cast<size_t>(got));
  result.closed = got == 0;
  const size_t split = reply.find("\r\n\r\n");
  result.head = reply.substr(0, split == std::string::npos ? split : split + 2);
  if (split != std::string::npos) result.body = reply.substr(split + 4);
  if (result.head.size() > 9) result.status = std::atoi(result.head.c_str() + 9);
  return result;
}

HttpResult Get(uint16_t port, const std::string& target, const std::string& extraHeaders) {
  return Exchange(port, "GET " + target + " HTTP/1.0\r\nHost: 127.0.0.1\r\nAccept: */*\r\nUser-Agent: test\r\n" +
                            extraHeaders + "\r\n");
}

}  // namespace servertest
