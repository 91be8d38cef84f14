#include "tools/play/LoopbackFileServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace tools {
namespace {

// Idle connections are dropped after this many seconds.
constexpr unsigned kConnectionTimeoutSeconds = 30;

MHD_Result Answer(void* cls, MHD_Connection* connection, const char*, const char* method,
                  const char*, const char*, size_t*, void**) {
  const auto* path = static_cast<const std::string*>(cls);
  if (std::strcmp(method, "GET") != 0) return MHD_NO;
  int fd = ::open(path->c_str(), O_RDONLY | O_CLOEXEC);
  struct stat info {};
  if (fd < 0 || fstat(fd, &info) != 0) {
    if (fd >= 0) ::close(fd);
    static const char kNotFound[] = "not found";
    MHD_Response* response = MHD_create_response_from_buffer(
        sizeof kNotFound - 1, const_cast<char*>(kNotFound), MHD_RESPMEM_PERSISTENT);
    MHD_Result result = MHD_queue_response(connection, MHD_HTTP_NOT_FOUND, response);
    MHD_destroy_response(response);
    return result;
  }
  // The response owns the descriptor from here and closes it.
  MHD_Response* response = MHD_create_response_from_fd(uint64_t(info.st_size), fd);
  MHD_add_response_header(response, "Content-Type", "audio/mpeg");
  MHD_Result result = MHD_queue_response(connection, MHD_HTTP_OK, response);
  MHD_destroy_response(response);
  return result;
}

}  // namespace

LoopbackFileServer::LoopbackFileServer(std::string path) : path_(std::move(path)) {}

LoopbackFileServer::~LoopbackFileServer() {
  if (daemon_) MHD_stop_daemon(daemon_);
}

bool LoopbackFileServer::start() {
  if (::access(path_.c_str(), R_OK) != 0) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = 0;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  daemon_ = MHD_start_daemon(MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL, 0, nullptr, nullptr,
                             &Answer, const_cast<std::string*>(&path_), MHD_OPTION_SOCK_ADDR,
                             &address, MHD_OPTION_CONNECTION_TIMEOUT, kConnectionTimeoutSeconds,
                             MHD_OPTION_END);
  if (!daemon_) return false;
  const MHD_DaemonInfo* info = MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_BIND_PORT);
  port_ = info ? info->port : 0;
  return port_ != 0;
}

std::string LoopbackFileServer::url() const {
  // Every path answers with the file; the name only makes the URL readable.
  return "http://127.0.0.1:" + std::to_string(port_) + "/track.mp3";
}

}  // namespace tools
