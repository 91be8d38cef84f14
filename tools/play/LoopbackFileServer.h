#pragma once

#include <cstdint>
#include <string>

#include "server/HttpDaemon.h"

namespace tools {

// Serves one local file over HTTP on 127.0.0.1 (an ephemeral port), with a Content-Length,
// so that a local file can be played through the same streaming path as a remote one. The
// catalogue server's daemon does the serving.
class LoopbackFileServer {
 public:
  explicit LoopbackFileServer(std::string path);
  LoopbackFileServer(const LoopbackFileServer&) = delete;
  LoopbackFileServer& operator=(const LoopbackFileServer&) = delete;

  // Starts serving; false when the file cannot be read or the server cannot start.
  bool start();
  // "http://127.0.0.1:PORT/track.mp3" once started.
  std::string url() const;

 private:
  const std::string path_;
  server::HttpDaemon daemon_;
};

}  // namespace tools
