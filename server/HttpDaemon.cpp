#include "server/HttpDaemon.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netdb.h>
#include <netinet/in.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>

#include <cstring>
#include <utility>

#include "platform/DebugLog.h"
#include "server/ConnectionLatch.h"

namespace server {
namespace {

class MhdRequest : public HttpRequest {
 public:
  MhdRequest(MHD_Connection* connection, const char* url, const char* method)
      : connection_(connection), url_(url ? url : ""), method_(method ? method : "") {}
  std::string Method() const override { return method_; }
  std::string Path() const override { return url_; }
  std::optional<std::string> Argument(const char* key) const override {
    return Lookup(MHD_GET_ARGUMENT_KIND, key);
  }
  std::optional<std::string> Header(const char* name) const override { return Lookup(MHD_HEADER_KIND, name); }

 private:
  std::optional<std::string> Lookup(MHD_ValueKind kind, const char* key) const {
    const char* value = nullptr;
    size_t size = 0;
    if (MHD_lookup_connection_value_n(connection_, kind, key, std::strlen(key), &value, &size) != MHD_YES) {
      return std::nullopt;
    }
    return std::string(value ? value : "", value ? size : 0);
  }

  MHD_Connection* connection_;
  std::string url_;
  std::string method_;
};

// The first address of host (IPv4 or IPv6) with port set; false when it does not resolve.
bool Resolve(const std::string& host, uint16_t port, sockaddr_storage& address) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) return false;
  std::memcpy(&address, found->ai_addr, found->ai_addrlen);
  freeaddrinfo(found);
  if (address.ss_family == AF_INET6) {
    reinterpret_cast<sockaddr_in6&>(address).sin6_port = htons(port);
  } else {
    reinterpret_cast<sockaddr_in&>(address).sin_port = htons(port);
  }
  return true;
}

// "0.0.0.0" and "::" both mean every interface of both families, on one dual-stack socket.
bool IsAnyAddress(const std::string& host) { return host == "0.0.0.0" || host == "::"; }

}  // namespace

// What the daemon keeps of one connection between the calls for its request.
class HttpDaemon::ConnectionState {
 public:
  explicit ConnectionState(std::shared_ptr<ConnectionLatch> connectionLatch) : latch(std::move(connectionLatch)) {}
  std::shared_ptr<ConnectionLatch> latch;
  std::shared_ptr<PendingReply> pending;  // the reply the connection is parked for
};

namespace {

constexpr size_t kStreamBlockBytes = 64 * 1024;

// The body of one reply that is still being made: offsets are the reply's own from 0.
struct StreamReader {
  std::shared_ptr<ReplyBody> body;
  int64_t offset = 0;
  std::shared_ptr<ConnectionLatch> latch;

  static ssize_t Read(void* self, uint64_t position, char* buffer, size_t size) {
    StreamReader& reader = *static_cast<StreamReader*>(self);
    if (reader.latch->IsClosed()) return MHD_CONTENT_READER_END_WITH_ERROR;
    std::weak_ptr<ConnectionLatch> latch = reader.latch;
    const int64_t got = reader.body->Read(reader.offset + static_cast<int64_t>(position), buffer, size, [latch] {
      if (const auto alive = latch.lock()) alive->Wake();
    });
    if (got > 0) return static_cast<ssize_t>(got);
    if (got < 0) return MHD_CONTENT_READER_END_WITH_ERROR;
    // Nothing yet: parked until the maker wakes it (or called again at once if it already has).
    reader.latch->Park();
    return 0;
  }
  static void Free(void* self) { std::unique_ptr<StreamReader>(static_cast<StreamReader*>(self)); }
};

}  // namespace

struct HttpDaemonCallbacks {
  static MHD_Result OnRequest(void* self, MHD_Connection* connection, const char* url, const char* method,
                              const char* /*version*/, const char* /*uploadData*/, size_t* uploadSize,
                              void** state) {
    // A request body is never used; the reply goes out as soon as the headers are in.
    if (uploadSize) *uploadSize = 0;
    return static_cast<HttpDaemon*>(self)->Answer(connection, url, method, state) == MHD_YES ? MHD_YES : MHD_NO;
  }
  static void OnCompleted(void* self, MHD_Connection* /*connection*/, void** state,
                          MHD_RequestTerminationCode /*code*/) {
    static_cast<HttpDaemon*>(self)->Finished(state);
  }
};

namespace {

MHD_Daemon* StartMhd(unsigned flags, const HttpDaemon::Settings& settings, const sockaddr_storage& address,
                     HttpDaemon* self) {
  return MHD_start_daemon(flags, settings.port, nullptr, nullptr, &HttpDaemonCallbacks::OnRequest, self,
                          MHD_OPTION_NOTIFY_COMPLETED, &HttpDaemonCallbacks::OnCompleted, self, MHD_OPTION_SOCK_ADDR, reinterpret_cast<const sockaddr*>(&address),
                          MHD_OPTION_CONNECTION_TIMEOUT, settings.timeoutSeconds, MHD_OPTION_CONNECTION_LIMIT,
                          settings.connectionLimit, MHD_OPTION_CONNECTION_MEMORY_LIMIT, settings.connectionMemory,
                          MHD_OPTION_END);
}

}  // namespace

HttpDaemon::~HttpDaemon() { Stop(); }

bool HttpDaemon::Start(const Settings& settings, Handler handler) {
  Stop();
  sockaddr_storage address{};
  const bool any = IsAnyAddress(settings.host);
  if (!Resolve(any ? "::" : settings.host, settings.port, address)) {
    platform::DebugPrintf("server: cannot resolve %s\n", settings.host.c_str());
    return false;
  }
  handler_ = std::move(handler);
  {
    std::lock_guard<std::mutex> lock(latchesMutex_);
    stopping_ = false;
  }

  // The daemon's thread inherits this thread's signal mask: with SIGPIPE blocked there, a peer
  // that goes away mid-reply cannot kill the process, and nothing changes for the caller.
  sigset_t pipe, previous;
  sigemptyset(&pipe);
  sigaddset(&pipe, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipe, &previous);
  unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL | MHD_ALLOW_SUSPEND_RESUME;
  if (platform::IsDebugOutputEnabled()) flags |= MHD_USE_ERROR_LOG;
  if (address.ss_family == AF_INET6) flags |= any ? MHD_USE_DUAL_STACK : MHD_USE_IPv6;
  daemon_ = StartMhd(flags, settings, address, this);
  if (!daemon_ && any) {
    // A machine without IPv6 still listens on every IPv4 interface.
    sockaddr_storage ipv4{};
    if (Resolve("0.0.0.0", settings.port, ipv4)) {
      daemon_ = StartMhd(flags & ~static_cast<unsigned>(MHD_USE_DUAL_STACK), settings, ipv4, this);
    }
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  if (!daemon_) {
    platform::DebugPrintf("server: cannot listen on %s:%u\n", settings.host.c_str(), settings.port);
    return false;
  }
  const MHD_DaemonInfo* info = MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_BIND_PORT);
  port_ = info ? info->port : settings.port;
  return true;
}

unsigned HttpDaemon::ConnectionCount() const {
  if (!daemon_) return 0;
  const MHD_DaemonInfo* info = MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_CURRENT_CONNECTIONS);
  return info ? info->num_connections : 0;
}

void HttpDaemon::Stop() {
  if (daemon_) {
    // Parked connections must be resumed before the daemon may stop; closed latches make
    // them end at once (a pending reply as 503, a stream cut short).
    std::set<std::shared_ptr<ConnectionLatch>> latches;
    {
      std::lock_guard<std::mutex> lock(latchesMutex_);
      stopping_ = true;
      latches = latches_;
    }
    for (const auto& latch : latches) latch->Close(false);
    MHD_stop_daemon(daemon_);  // joins the daemon's thread
  }
  daemon_ = nullptr;
  port_ = 0;
}

void HttpDaemon::Finished(void** state) {
  std::unique_ptr<ConnectionState> owned(static_cast<ConnectionState*>(*state));
  *state = nullptr;
  if (!owned) return;
  owned->latch->Close(true);
  std::lock_guard<std::mutex> lock(latchesMutex_);
  latches_.erase(owned->latch);
}

int HttpDaemon::Answer(MHD_Connection* connection, const char* url, const char* method, void** state) {
  auto* known = static_cast<ConnectionState*>(*state);
  if (!known) {
    auto latch = std::make_shared<ConnectionLatch>(connection);
    {
      std::lock_guard<std::mutex> lock(latchesMutex_);
      if (stopping_) latch->Close(false);
      latches_.insert(latch);
    }
    // Owned by the connection from here; Finished() takes it back.
    known = std::make_unique<ConnectionState>(std::move(latch)).release();
    *state = known;
  }
  HttpReply reply;
  if (!known->pending) {
    const std::string verb = method ? method : "";
    if (verb != "GET" && verb != "HEAD") {
      reply = HttpReply::Text(405, "method not allowed\n");
      reply.headers.emplace_back("Allow", "GET, HEAD");
      return Queue(connection, reply, *known);
    }
    reply = handler_(MhdRequest(connection, url, method));
    if (!reply.pending) return Queue(connection, reply, *known);
    known->pending = std::move(reply.pending);
  }
  if (known->latch->IsClosed()) {
    known->pending.reset();
    reply = HttpReply::Text(503, "stopping\n");
    return Queue(connection, reply, *known);
  }
  std::weak_ptr<ConnectionLatch> latch = known->latch;
  if (known->pending->Take(reply, [latch] {
        if (const auto alive = latch.lock()) alive->Wake();
      })) {
    known->pending.reset();
    return Queue(connection, reply, *known);
  }
  known->latch->Park();  // called again once woken
  return MHD_YES;
}

int HttpDaemon::Queue(MHD_Connection* connection, HttpReply& reply, ConnectionState& state) {
  MHD_Response* response = nullptr;
  if (reply.file) {
    // MHD owns (and closes) the descriptor from here on and streams the range in pieces.
    response = MHD_create_response_from_fd_at_offset64(static_cast<uint64_t>(reply.fileLength),
                                                       reply.file.Get(),
                                                       static_cast<uint64_t>(reply.fileOffset));
    if (response) reply.file.Release();
  } else if (reply.stream) {
    auto reader = std::make_unique<StreamReader>(StreamReader{reply.stream, reply.fileOffset, state.latch});
    response = MHD_create_response_from_callback(static_cast<uint64_t>(reply.fileLength), kStreamBlockBytes,
                                                 &StreamReader::Read, reader.get(), &StreamReader::Free);
    if (response) reader.release();  // freed by MHD through StreamReader::Free
  } else {
    response = MHD_create_response_from_buffer(reply.body.size(), reply.body.data(), MHD_RESPMEM_MUST_COPY);
  }
  if (!response) return MHD_NO;
  MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, reply.contentType.c_str());
  MHD_add_response_header(response, MHD_HTTP_HEADER_CONNECTION, "close");
  for (const auto& [name, value] : reply.headers) MHD_add_response_header(response, name.c_str(), value.c_str());
  const MHD_Result queued = MHD_queue_response(connection, static_cast<unsigned>(reply.status), response);
  MHD_destroy_response(response);
  return queued;
}

}  // namespace server
