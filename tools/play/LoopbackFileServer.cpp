#include "tools/play/LoopbackFileServer.h"

#include "server/RangedReply.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tools {
namespace {

// Idle connections are dropped after this many seconds.
constexpr unsigned kConnectionTimeoutSeconds = 30;

}  // namespace

LoopbackFileServer::LoopbackFileServer(std::string path) : path_(std::move(path)) {}

bool LoopbackFileServer::start() {
  if (::access(path_.c_str(), R_OK) != 0) return false;
  server::HttpDaemon::Settings settings;
  settings.host = "127.0.0.1";
  settings.port = 0;
  settings.timeoutSeconds = kConnectionTimeoutSeconds;
  // Every path answers with the file, or the byte range asked for (so that the player can seek).
  const bool started = daemon_.Start(settings, [this](const server::HttpRequest& request) {
    platform::UniqueFd fd(::open(path_.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (!fd || ::fstat(fd.Get(), &info) != 0) return server::HttpReply::Text(404, "not found");
    return server::RangedReply::File(std::move(fd), info.st_size, request.Header("Range").value_or(""));
  });
  return started && daemon_.Port() != 0;
}

std::string LoopbackFileServer::url() const {
  // The name only makes the URL readable.
  return "http://127.0.0.1:" + std::to_string(daemon_.Port()) + "/track.mp3";
}

}  // namespace tools
