#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/UniqueFd.h"

namespace testsupport {

// A slow link from Port() to 127.0.0.1:<target port>: each way adds half the round trip and at
// most `bitsPerSecond` (1460-byte packets, queued); a new connection first waits a round trip; an
// end or reset passes on after what was queued. Stop and the destructor join every thread.
class ThrottlingProxy {
 public:
  struct Link {
    std::chrono::milliseconds roundTrip{100};
    std::uint64_t bitsPerSecond = 4'000'000;  // each way; 0: no limit
  };

  // Listens on 127.0.0.1:0 at once; connections wait in the backlog until Start.
  explicit ThrottlingProxy(Link link);
  ~ThrottlingProxy();
  ThrottlingProxy(const ThrottlingProxy&) = delete;
  ThrottlingProxy& operator=(const ThrottlingProxy&) = delete;

  // Starts forwarding to 127.0.0.1:`targetPort`. Once only; false if already started.
  bool Start(std::uint16_t targetPort);
  void Stop();

  std::uint16_t Port() const { return port_; }
  std::string BaseUrl() const;
  int ConnectionCount() const;  // accepted so far

 private:
  void AcceptLoop();
  void Forward(platform::UniqueFd client);
  // Waits up to `duration` for Stop; true when stopping.
  bool WaitStopped(std::chrono::milliseconds duration) const;

  const Link link_;
  platform::UniqueFd listenFd_;
  // A pipe whose read end becomes readable, for every thread that polls it, at Stop.
  platform::UniqueFd wakeRead_, wakeWrite_;
  std::uint16_t port_ = 0;
  std::uint16_t targetPort_ = 0;
  std::thread acceptor_;

  // Guards connections_, accepted_ and stopping_.
  mutable std::mutex mutex_;
  std::vector<std::thread> connections_;
  int accepted_ = 0;
  bool stopping_ = false;
};

}  // namespace testsupport
