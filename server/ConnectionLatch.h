#pragma once

#include <mutex>

struct MHD_Connection;

namespace server {

// Parks one libmicrohttpd connection while its reply waits for another thread (a transcode),
// and lets that thread wake it. A wake that comes before the park is remembered, so none is
// lost between "no data yet" and the suspend. Once closed (the connection finished, or the
// daemon is stopping) it never suspends again and wakes do nothing.
class ConnectionLatch {
 public:
  explicit ConnectionLatch(MHD_Connection* connection) : connection_(connection) {}
  ConnectionLatch(const ConnectionLatch&) = delete;
  ConnectionLatch& operator=(const ConnectionLatch&) = delete;

  // The daemon's thread, inside a callback of this connection: suspends it unless a wake came
  // since the last park. True when it was suspended.
  bool Park();
  // Any thread: resumes a parked connection, or remembers the wake for the next Park.
  void Wake();
  // Resumes a parked connection and refuses to park again. finished: the connection is gone
  // (its completion callback), so nothing may touch it any more.
  void Close(bool finished);
  bool IsClosed();

 private:
  std::mutex mutex_;  // guards everything below; held across the suspend and resume calls
  MHD_Connection* connection_;
  bool parked_ = false;
  bool woken_ = false;
  bool closed_ = false;
};

}  // namespace server
