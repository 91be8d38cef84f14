#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "server/HttpExchange.h"

struct MHD_Daemon;
struct MHD_Connection;

namespace server {

class ConnectionLatch;

// A libmicrohttpd daemon: one internal event thread (epoll) serves every connection, with an
// idle time-out per connection, so slow or idle clients cannot hold up the others. Every reply
// closes its connection. Stop() (or the destructor) closes the socket and joins the thread.
// A reply that is not ready at once (HttpReply::pending) or a body still being made
// (HttpReply::stream) parks its connection (suspend) until the other thread wakes it, so the
// event thread never waits. Not movable: the daemon's callbacks point at this object.
class HttpDaemon {
 public:
  using Handler = std::function<HttpReply(const HttpRequest&)>;

  struct Settings {
    std::string host = "127.0.0.1";  // IPv4 or IPv6 address or name; "::" or "0.0.0.0": all, both families
    uint16_t port = 0;               // 0: an ephemeral port
    unsigned timeoutSeconds = 30;    // a connection without progress for this long is closed
    unsigned connectionLimit = 8192;
    size_t connectionMemory = 64 * 1024;  // request line and headers must fit
  };

  HttpDaemon() = default;
  ~HttpDaemon();
  HttpDaemon(const HttpDaemon&) = delete;
  HttpDaemon& operator=(const HttpDaemon&) = delete;

  // The handler runs on the daemon's thread, one request at a time. False when the address
  // cannot be resolved or bound.
  bool Start(const Settings& settings, Handler handler);
  void Stop();
  bool IsRunning() const { return daemon_ != nullptr; }
  // The port actually bound (the ephemeral one when 0 was asked for).
  uint16_t Port() const { return port_; }
  // Connections open at the moment (accepted and not yet closed).
  unsigned ConnectionCount() const;

 private:
  friend struct HttpDaemonCallbacks;
  class ConnectionState;
  // Runs the handler and queues its reply, or parks the connection until a pending reply is
  // decided; MHD_YES or MHD_NO. state: the connection's slot for its ConnectionState.
  int Answer(MHD_Connection* connection, const char* url, const char* method, void** state);
  int Queue(MHD_Connection* connection, HttpReply& reply, ConnectionState& state);
  void Finished(void** state);

  MHD_Daemon* daemon_ = nullptr;
  std::mutex latchesMutex_;  // guards latches_ and stopping_
  std::set<std::shared_ptr<ConnectionLatch>> latches_;  // of the connections open now
  bool stopping_ = false;
  Handler handler_;
  uint16_t port_ = 0;
};

}  // namespace server
