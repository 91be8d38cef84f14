#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/UniqueFd.h"
#include "server/CatalogueServer.h"
#include "tests/server/TestLibrary.h"

namespace servertest {

constexpr const char* kTestKey = "0123456789abcde";

// A server on 127.0.0.1:0 over `library` with kTestKey (null if it fails); stopped when destroyed.
std::unique_ptr<server::CatalogueServer> StartServer(const TestLibrary& library, unsigned timeoutSeconds = 30,
                                                     const std::string& versionReply = "");

// A catalogue search the way the client asks for it (key, version and device included).
std::string SearchTarget(const std::string& encodedQuery, int s, int n, int kinds = 7);

// A loopback connection whose reads give up after 10 s; receiveBuffer > 0 sets SO_RCVBUF.
platform::UniqueFd ConnectLoopback(uint16_t port, int receiveBuffer = 0);

struct HttpResult {
  bool closed = false;  // the server closed the connection (false: the read timed out or failed)
  int status = 0;
  std::string head;  // status line and header lines, each ending in CR LF
  std::string body;
};

// Sends request as it stands and reads the reply up to the server's close.
HttpResult Exchange(uint16_t port, const std::string& request);
// An HTTP/1.0 GET of target ("/path?query"), the way the client asks.
HttpResult Get(uint16_t port, const std::string& target, const std::string& extraHeaders = "");

}  // namespace servertest
