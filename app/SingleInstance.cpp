#include "app/SingleInstance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "platform/DebugLog.h"

namespace app {

namespace {

constexpr char kRaiseRequest[] = "raise\n";
constexpr char kRaiseAnswer[] = "ok\n";
constexpr int kListenBacklog = 4;

bool MakeAddress(const std::string& path, sockaddr_un& address) {
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return true;
}

// Waits until `fd` is ready for `events` or `timeoutMs` passes; false on time-out or error.
bool WaitReady(int fd, short events, int timeoutMs) {
  pollfd entry{fd, events, 0};
  int rc;
  do {
    rc = ::poll(&entry, 1, timeoutMs);
  } while (rc < 0 && errno == EINTR);
  return rc > 0 && (entry.revents & events) != 0;
}

bool SendAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    if (!WaitReady(fd, POLLOUT, SingleInstance::kExchangeTimeoutMs)) return false;
    ssize_t sent = ::send(fd, data, size, MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return false;
    data += sent;
    size -= static_cast<std::size_t>(sent);
  }
  return true;
}

// Reads one short line (up to and including '\n') within the exchange time-out.
bool ReceiveLine(int fd, std::string& line) {
  constexpr std::size_t kMaxLine = 32;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(SingleInstance::kExchangeTimeoutMs);
  line.clear();
  while (line.size() < kMaxLine) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || !WaitReady(fd, POLLIN, static_cast<int>(left.count()))) return false;
    char c = 0;
    ssize_t got = ::recv(fd, &c, 1, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    line.push_back(c);
    if (c == '\n') return true;
  }
  return false;
}

}  // namespace

SingleInstance::SingleInstance(std::string directory)
    : directory_(directory.empty() ? DefaultDirectory() : std::move(directory)) {}

SingleInstance::~SingleInstance() { Close(); }

std::string SingleInstance::DefaultDirectory() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && runtime[0] == '/') return runtime;
  return "/tmp/vornalo-" + std::to_string(::getuid());
}

bool SingleInstance::PrepareDirectory() {
  if (::mkdir(directory_.c_str(), 0700) != 0 && errno != EEXIST) {
    platform::DebugPrintf("single instance: cannot create %s: %s", directory_.c_str(), std::strerror(errno));
    return false;
  }
  struct stat info {};
  if (::lstat(directory_.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid() ||
      (info.st_mode & 077) != 0) {
    platform::DebugPrintf("single instance: %s is not a private directory of this user", directory_.c_str());
    return false;
  }
  return true;
}

SingleInstance::Outcome SingleInstance::Acquire() {
  if (lock_) return Outcome::kFirst;
  if (!PrepareDirectory()) return Outcome::kFirst;
  const std::string lockPath = directory_ + "/" + kLockName;
  platform::UniqueFd lock(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
  if (!lock) {
    platform::DebugPrintf("single instance: cannot open %s: %s", lockPath.c_str(), std::strerror(errno));
    return Outcome::kFirst;
  }
  int rc;
  do {
    rc = ::flock(lock.Get(), LOCK_EX | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    if (errno != EWOULDBLOCK) {
      platform::DebugPrintf("single instance: cannot lock %s: %s", lockPath.c_str(), std::strerror(errno));
      return Outcome::kFirst;
    }
    if (!AskRunningInstance()) platform::DebugOutput("single instance: the running instance did not answer");
    return Outcome::kOtherRunning;
  }
  lock_ = std::move(lock);
  if (!Listen()) platform::DebugOutput("single instance: not listening; later starts cannot raise this one");
  return Outcome::kFirst;
}

bool SingleInstance::AskRunningInstance() {
  sockaddr_un address;
  if (!MakeAddress(directory_ + "/" + kSocketName, address)) return false;
  // The running instance may hold the lock and not listen yet: try for a while.
  for (int attempt = 0; attempt < kConnectAttempts; ++attempt) {
    platform::UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd) return false;
    if (::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
      std::string answer;
      return SendAll(fd.Get(), kRaiseRequest, sizeof kRaiseRequest - 1) && ReceiveLine(fd.Get(), answer) &&
             answer == kRaiseAnswer;
    }
    if (errno != ENOENT && errno != ECONNREFUSED && errno != EINTR) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(kConnectRetryMs));
  }
  return false;
}

bool SingleInstance::Listen() {
  const std::string path = directory_ + "/" + kSocketName;
  sockaddr_un address;
  if (!MakeAddress(path, address)) return false;
  platform::UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  platform::UniqueFd stop(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  if (!fd || !stop) return false;
  // Holding the lock, whatever socket is there was left by an instance that is gone.
  ::unlink(path.c_str());
  if (::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(fd.Get(), kListenBacklog) != 0) {
    platform::DebugPrintf("single instance: cannot listen on %s: %s", path.c_str(), std::strerror(errno));
    return false;
  }
  listener_ = std::move(fd);
  stopEvent_ = std::move(stop);
  thread_ = std::thread(&SingleInstance::ListenLoop, this);
  return true;
}

void SingleInstance::ListenLoop() {
  while (true) {
    pollfd entries[2] = {{listener_.Get(), POLLIN, 0}, {stopEvent_.Get(), POLLIN, 0}};
    int rc = ::poll(entries, 2, -1);
    if (rc < 0 && errno == EINTR) continue;
    if (rc < 0 || (entries[1].revents & POLLIN)) return;
    if (!(entries[0].revents & POLLIN)) continue;
    platform::UniqueFd connection(::accept4(listener_.Get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
    if (connection) Serve(connection.Get());
  }
}

void SingleInstance::Serve(int connection) {
  std::string request;
  if (!ReceiveLine(connection, request) || request != kRaiseRequest) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (raiseHandler_) raiseHandler_();
  }
  SendAll(connection, kRaiseAnswer, sizeof kRaiseAnswer - 1);
}

void SingleInstance::SetRaiseHandler(std::function<void()> handler) {
  std::lock_guard<std::mutex> lock(mutex_);
  raiseHandler_ = std::move(handler);
}

void SingleInstance::Close() {
  if (thread_.joinable()) {
    const std::uint64_t one = 1;
    ssize_t written = ::write(stopEvent_.Get(), &one, sizeof one);
    (void)written;
    thread_.join();
  }
  if (listener_) {
    ::unlink((directory_ + "/" + kSocketName).c_str());
    listener_.Reset();
  }
  stopEvent_.Reset();
  lock_.Reset();
}

}  // namespace app
