#pragma once

#include <cstdint>
#include <string>

#include "platform/UniqueFd.h"

namespace servertest {

// A blocking loopback connection whose reads give up after kReceiveTimeoutSeconds, so that a
// server that hangs fails the test instead of blocking it. receiveBuffer > 0 sets SO_RCVBUF
// before connecting (a small window).
platform::UniqueFd ConnectLoopback(uint16_t port, int receiveBuffer = 0);
constexpr int kReceiveTimeoutSeconds = 10;

struct HttpResult {
  bool closed = false;  // the server closed the connection (false: the read timed out or failed)
  int status = 0;
  std::string head;     // status line and headers
  std::string body;
  // The value of a header ("" when absent); the name is matched without regard to case.
  std::string Header(const std::string& name) const;
};

// Sends request as it stands and reads the reply up to the server's close.
HttpResult Exchange(uint16_t port, const std::string& request);
// An HTTP/1.0 GET of target ("/path?query"), the way the client asks.
HttpResult Get(uint16_t port, const std::string& target, const std::string& extraHeaders = "");

}  // namespace servertest
