#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/UniqueFd.h"

namespace testsupport {

// A slow network between 127.0.0.1 and a local server, for tests and benchmarks:
//
//   testsupport::ThrottlingProxy proxy({std::chrono::milliseconds(100), 4'000'000});
//   server options: public URL = proxy.BaseUrl(), so the stream addresses go through it too;
//   proxy.Start(server.Port());
//   client → proxy.BaseUrl() ...
//
// Every connection accepted on Port() is forwarded to 127.0.0.1:<target port>. Each way adds
// half the round trip to every byte and lets at most `bitsPerSecond` through (bytes leave in
// packets of 1460 bytes, queued behind each other); a new connection first waits one round trip
// (the handshake of a real link). An end or a reset on one side is passed on to the other
// after what was queued before it. The destructor (or Stop) ends every connection, joins
// every thread and closes the listening socket.
class ThrottlingProxy {
 public:
  struct Link {
    std::chrono::milliseconds roundTrip{100};
    std::uint64_t bitsPerSecond = 4'000'000;  // each way; 0: no limit
  };

  // Listens on 127.0.0.1 and an ephemeral port (Port() is known from here on); connections
  // wait in the backlog until Start.
  explicit ThrottlingProxy(Link link);
  ~ThrottlingProxy();
  ThrottlingProxy(const ThrottlingProxy&) = delete;
  ThrottlingProxy& operator=(const ThrottlingProxy&) = delete;

  // Starts forwarding to 127.0.0.1:`targetPort`. Once only; false if already started.
  bool Start(std::uint16_t targetPort);
  void Stop();

  std::uint16_t Port() const { return port_; }
  // "http://127.0.0.1:<port>".
  std::string BaseUrl() const;
  // Connections accepted so far.
  int ConnectionCount() const;

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
