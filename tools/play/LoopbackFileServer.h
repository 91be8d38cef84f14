#pragma once

#include <cstdint>
#include <string>

struct MHD_Daemon;

namespace tools {

// Serves one local file over HTTP on 127.0.0.1 (an ephemeral port), with a Content-Length,
// so that a local file can be played through the same streaming path as a remote one.
class LoopbackFileServer {
 public:
  explicit LoopbackFileServer(std::string path);
  ~LoopbackFileServer();
  LoopbackFileServer(const LoopbackFileServer&) = delete;
  LoopbackFileServer& operator=(const LoopbackFileServer&) = delete;

  // Starts serving; false when the file cannot be read or the server cannot start.
  bool start();
  // "http://127.0.0.1:PORT/track.mp3" once started.
  std::string url() const;

 private:
  const std::string path_;
  MHD_Daemon* daemon_ = nullptr;
  uint16_t port_ = 0;
};

}  // namespace tools
