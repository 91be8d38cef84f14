#pragma once

#include <memory>
#include <string>

#include "app/AppOptions.h"

namespace server {
class CatalogueServer;
}

namespace app {

// The catalogue server the client talks to: one given with --server, or one embedded in this
// process on 127.0.0.1 and an ephemeral port over a music folder (--library, or the demo
// library). Either way the client reaches it over HTTP.
class CatalogueHost {
 public:
  CatalogueHost();
  ~CatalogueHost();
  CatalogueHost(const CatalogueHost&) = delete;
  CatalogueHost& operator=(const CatalogueHost&) = delete;

  // Scans the library and starts the embedded server when no server was given; false with
  // the reason in `error` when it cannot.
  bool Start(const AppOptions& options, std::string& error);
  // Brings the embedded server's stored index up to date with its library on the server's own
  // thread; called once the window is up, so that the rescan never delays the first paint.
  void StartBackgroundRescan();
  // Stops the embedded server and joins its thread. Safe to call more than once.
  void Stop();

  // "http://host:port".
  const std::string& BaseUrl() const { return baseUrl_; }
  bool IsEmbedded() const { return embedded_ != nullptr; }

 private:
  std::unique_ptr<server::CatalogueServer> embedded_;
  std::string baseUrl_;
};

}  // namespace app
