#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/UniqueFd.h"

namespace testsupport {

// One step of what the server does on a connection.
struct ServerStep {
  enum class Kind {
    kReadRequest,  // read up to the end of the request header block (or EOF) and record it
    kSend,         // send `bytes`, `repeat` times in a row
    kPause,        // wait `millis` (cut short when the server stops)
    kClose,        // orderly close (FIN), after draining request bytes that have arrived
    kReset,        // close with SO_LINGER 0, so the peer sees a reset (RST)
    kHang,         // keep the connection open, answer nothing, until the server stops
    kSendRange,    // answer the request read on this connection with `bytes` as the whole
                   // body: 200, or 206 from its "Range: bytes=N-"; send the body up to byte `repeat`
  };
  Kind kind;
  std::string bytes;
  std::size_t repeat = 1;
  int millis = 0;
};

using ServerScript = std::vector<ServerStep>;

ServerStep ReadRequest();
ServerStep Send(std::string bytes);
ServerStep SendRepeated(std::string block, std::size_t times);
ServerStep Pause(int millis);
ServerStep Close();
ServerStep Reset();
ServerStep Hang();
ServerStep SendRange(std::string body, std::size_t sendUpTo);

// The usual reply: read the request, send `reply`, close.
ServerScript Reply(std::string reply);
// An HTTP/1.0 reply text with a Content-Length header and `body`.
std::string HttpResponse(const std::string& body, const std::string& contentType = "text/xml");

// A loopback server on 127.0.0.1:0; connection i plays scripts[i] on its own thread (later ones
// the last script), closing in order when the script ends without Close, Reset or Hang. Stop and
// the destructor wake every pause and hang and join every thread.
class ScriptedServer {
 public:
  explicit ScriptedServer(ServerScript script);
  explicit ScriptedServer(std::vector<ServerScript> scripts);
  ~ScriptedServer();
  ScriptedServer(const ScriptedServer&) = delete;
  ScriptedServer& operator=(const ScriptedServer&) = delete;

  std::uint16_t port() const { return port_; }
  std::string Url(const std::string& path = "/") const;

  // Requests recorded by ReadRequest steps, in the order they completed.
  std::vector<std::string> Requests() const;
  int AcceptedCount() const { return accepted_.load(); }
  // Connections whose script has run to its end.
  int FinishedCount() const { return finished_.load(); }
  // Waits until `count` scripts have run to their end; false after `timeout`.
  bool WaitForFinished(int count, std::chrono::milliseconds timeout) const;

  void Stop();

 private:
  void AcceptLoop();
  void RunScript(platform::UniqueFd fd, const ServerScript& script);
  // `request` holds what the connection's ReadRequest read.
  bool RunStep(int fd, const ServerStep& step, std::string* request);
  bool WaitStopped(std::chrono::milliseconds duration);

  std::vector<ServerScript> scripts_;
  platform::UniqueFd listenFd_;
  platform::UniqueFd wakeRead_, wakeWrite_;  // a pipe that wakes the accept loop on Stop
  std::uint16_t port_ = 0;
  std::atomic<int> accepted_{0};
  std::atomic<int> finished_{0};
  std::thread acceptor_;

  // Guards stopping_, openFds_, connections_ and requests_.
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;  // stopping_ set or a script finished
  bool stopping_ = false;
  std::vector<int> openFds_;  // the connections' descriptors, owned by their threads
  std::vector<std::thread> connections_;
  std::vector<std::string> requests_;
};

// A listener that never accepts, its backlog full, so a connect to port() stays pending.
class StalledListener {
 public:
  StalledListener();
  StalledListener(const StalledListener&) = delete;
  StalledListener& operator=(const StalledListener&) = delete;

  std::uint16_t port() const { return port_; }
  std::string Url(const std::string& path = "/") const;

 private:
  platform::UniqueFd listenFd_;
  std::vector<platform::UniqueFd> fillers_;
  std::uint16_t port_ = 0;
};

// A URL on a loopback port where nothing listens any more: connections to it are refused.
std::string RefusingUrl(const std::string& path = "/");

int OpenFdCount();

}  // namespace testsupport
