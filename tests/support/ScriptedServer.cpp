#include "tests/support/ScriptedServer.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>

namespace testsupport {
namespace {

constexpr std::size_t kReadBlock = 4096;
constexpr std::size_t kMaxRecordedRequest = 64 * 1024;

platform::UniqueFd ListenOnLoopback(int backlog, std::uint16_t* port) {
  platform::UniqueFd owner(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  const int fd = owner.Get();
  if (fd < 0) throw std::runtime_error("socket failed");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t size = sizeof address;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, backlog) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    throw std::runtime_error("cannot listen on 127.0.0.1");
  }
  *port = ntohs(address.sin_port);
  return owner;
}

std::string LoopbackUrl(std::uint16_t port, const std::string& path) {
  return "http://127.0.0.1:" + std::to_string(port) + path;
}

}  // namespace

ServerStep SendRange(std::string body, std::size_t sendUpTo) {
  return {ServerStep::Kind::kSendRange, std::move(body), sendUpTo, 0};
}

ServerStep ReadRequest() { return {ServerStep::Kind::kReadRequest, {}, 1, 0}; }
ServerStep Send(std::string bytes) { return {ServerStep::Kind::kSend, std::move(bytes), 1, 0}; }
ServerStep SendRepeated(std::string block, std::size_t times) {
  return {ServerStep::Kind::kSend, std::move(block), times, 0};
}
ServerStep Pause(int millis) { return {ServerStep::Kind::kPause, {}, 1, millis}; }
ServerStep Close() { return {ServerStep::Kind::kClose, {}, 1, 0}; }
ServerStep Reset() { return {ServerStep::Kind::kReset, {}, 1, 0}; }
ServerStep Hang() { return {ServerStep::Kind::kHang, {}, 1, 0}; }

ServerScript Reply(std::string reply) { return {ReadRequest(), Send(std::move(reply)), Close()}; }

std::string HttpResponse(const std::string& body, const std::string& contentType) {
  return "HTTP/1.0 200 OK\r\nContent-Type: " + contentType +
         "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

ScriptedServer::ScriptedServer(ServerScript script) : ScriptedServer(std::vector<ServerScript>{std::move(script)}) {}

ScriptedServer::ScriptedServer(std::vector<ServerScript> scripts) : scripts_(std::move(scripts)) {
  if (scripts_.empty()) scripts_.push_back({});
  listenFd_ = ListenOnLoopback(SOMAXCONN, &port_);
  int pipeEnds[2];
  if (::pipe2(pipeEnds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  wakeRead_.Reset(pipeEnds[0]);
  wakeWrite_.Reset(pipeEnds[1]);
  acceptor_ = std::thread(&ScriptedServer::AcceptLoop, this);
}

ScriptedServer::~ScriptedServer() {
  Stop();
}

std::string ScriptedServer::Url(const std::string& path) const { return LoopbackUrl(port_, path); }

std::vector<std::string> ScriptedServer::Requests() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return requests_;
}

bool ScriptedServer::WaitForFinished(int count, std::chrono::milliseconds timeout) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return finished_.load() >= count; });
}

void ScriptedServer::Stop() {
  std::vector<std::thread> connections;
  {
    std::lock_guard<std::mutex> guard(mutex_);
    if (stopping_ && !acceptor_.joinable()) return;
    stopping_ = true;
    // Wakes sends and reads blocked on a peer that does not read or write.
    for (int fd : openFds_) ::shutdown(fd, SHUT_RDWR);
  }
  changed_.notify_all();
  char wake = 1;
  (void)!::write(wakeWrite_.Get(), &wake, 1);
  if (acceptor_.joinable()) acceptor_.join();
  {
    std::lock_guard<std::mutex> guard(mutex_);
    connections.swap(connections_);
  }
  for (std::thread& connection : connections) connection.join();
}

void ScriptedServer::AcceptLoop() {
  for (int index = 0;; ++index) {
    pollfd entries[2] = {{listenFd_.Get(), POLLIN, 0}, {wakeRead_.Get(), POLLIN, 0}};
    int ready = ::poll(entries, 2, -1);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0 || entries[1].revents) return;
    platform::UniqueFd fd(::accept4(listenFd_.Get(), nullptr, nullptr, SOCK_CLOEXEC));
    if (!fd) continue;
    const ServerScript& script = scripts_[std::min<std::size_t>(static_cast<std::size_t>(index), scripts_.size() - 1)];
    std::lock_guard<std::mutex> guard(mutex_);
    if (stopping_) return;
    accepted_.fetch_add(1);
    openFds_.push_back(fd.Get());
    connections_.emplace_back(&ScriptedServer::RunScript, this, std::move(fd), std::cref(script));
  }
}

bool ScriptedServer::WaitStopped(std::chrono::milliseconds duration) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, duration, [this] { return stopping_; });
}

bool ScriptedServer::RunStep(int fd, const ServerStep& step, std::string* connectionRequest) {
  switch (step.kind) {
    case ServerStep::Kind::kReadRequest: {
      std::string request;
      char block[kReadBlock];
      while (request.find("\r\n\r\n") == std::string::npos && request.size() < kMaxRecordedRequest) {
        ssize_t n = ::recv(fd, block, sizeof block, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        request.append(block, static_cast<std::size_t>(n));
      }
      *connectionRequest = request;
      std::lock_guard<std::mutex> guard(mutex_);
      requests_.push_back(std::move(request));
      return true;
    }
    case ServerStep::Kind::kSendRange: {
      const std::string& body = step.bytes;
      std::size_t from = 0;
      const std::string rangeName = "\r\nRange: bytes=";
      const std::size_t range = connectionRequest->find(rangeName);
      if (range != std::string::npos) from = std::stoul(connectionRequest->substr(range + rangeName.size()));
      std::string reply;
      if (range == std::string::npos) {
        reply = "HTTP/1.0 200 OK\r\nAccept-Ranges: bytes\r\nContent-Length: " + std::to_string(body.size()) +
                "\r\n\r\n";
      } else {
        reply = "HTTP/1.0 206 Partial Content\r\nContent-Range: bytes " + std::to_string(from) + "-" +
                std::to_string(body.size() - 1) + "/" + std::to_string(body.size()) +
                "\r\nContent-Length: " + std::to_string(body.size() - from) + "\r\n\r\n";
      }
      const std::size_t upTo = std::min(step.repeat, body.size());
      if (from < upTo) reply += body.substr(from, upTo - from);
      return RunStep(fd, Send(std::move(reply)), connectionRequest);
    }
    case ServerStep::Kind::kSend:
      for (std::size_t i = 0; i < step.repeat; ++i) {
        std::size_t sent = 0;
        while (sent < step.bytes.size()) {
          ssize_t n = ::send(fd, step.bytes.data() + sent, step.bytes.size() - sent, MSG_NOSIGNAL);
          if (n < 0 && errno == EINTR) continue;
          if (n <= 0) return false;
          sent += static_cast<std::size_t>(n);
        }
      }
      return true;
    case ServerStep::Kind::kPause:
      return !WaitStopped(std::chrono::milliseconds(step.millis));
    case ServerStep::Kind::kClose: {
      // Unread request bytes would turn the close into a reset; drain what has arrived.
      ::shutdown(fd, SHUT_WR);
      char block[kReadBlock];
      while (::recv(fd, block, sizeof block, MSG_DONTWAIT) > 0) {
      }
      return false;
    }
    case ServerStep::Kind::kReset: {
      linger option{1, 0};
      ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &option, sizeof option);
      return false;
    }
    case ServerStep::Kind::kHang:
      WaitStopped(std::chrono::hours(24));
      return false;
  }
  return false;
}

void ScriptedServer::RunScript(platform::UniqueFd fd, const ServerScript& script) {
  std::string request;
  for (const ServerStep& step : script) {
    if (!RunStep(fd.Get(), step, &request)) break;
  }
  {
    std::lock_guard<std::mutex> guard(mutex_);
    for (auto it = openFds_.begin(); it != openFds_.end(); ++it) {
      if (*it == fd.Get()) {
        openFds_.erase(it);
        break;
      }
    }
    fd.Reset();
    finished_.fetch_add(1);
  }
  changed_.notify_all();
}

StalledListener::StalledListener() {
  listenFd_ = ListenOnLoopback(0, &port_);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port_);
  // Fill the accept queue: once a filler's connect stays pending, so will the next one.
  constexpr int kMaxFillers = 8;
  constexpr int kPendingProbeMillis = 200;
  for (int i = 0; i < kMaxFillers; ++i) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) break;
    fillers_.emplace_back(fd);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) continue;
    pollfd entry{fd, POLLOUT, 0};
    if (::poll(&entry, 1, kPendingProbeMillis) == 0) break;
  }
}

std::string RefusingUrl(const std::string& path) { return ScriptedServer(ServerScript{}).Url(path); }

std::string StalledListener::Url(const std::string& path) const { return LoopbackUrl(port_, path); }

int OpenFdCount() {
  int count = 0;
  DIR* dir = ::opendir("/proc/self/fd");
  if (!dir) return -1;
  while (dirent* entry = ::readdir(dir)) {
    if (entry->d_name[0] != '.') ++count;
  }
  ::closedir(dir);
  return count - 1;  // the directory's own descriptor
}

}  // namespace testsupport
