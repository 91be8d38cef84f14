#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "server/CatalogueApi.h"
#include "server/CatalogueIndex.h"
#include "server/CatalogueQueries.h"
#include "server/HttpDaemon.h"
#include "server/ServerOptions.h"

namespace server {

// A whole catalogue server: brings the index up to date with the library, then serves the
// catalogue API on its own thread until Stop(). This is what `vornalo-server` runs and what the
// client embeds:
//
//   server::CatalogueServer catalogue;
//   server::ServerOptions options;
//   options.library = folder;            // 127.0.0.1, an ephemeral port, an in-memory index
//   if (catalogue.Start(options)) UseServer(catalogue.BaseUrl());
//   ...
//   catalogue.Stop();                    // also done by the destructor
class CatalogueServer {
 public:
  CatalogueServer() = default;
  ~CatalogueServer();
  CatalogueServer(const CatalogueServer&) = delete;
  CatalogueServer& operator=(const CatalogueServer&) = delete;

  // Scans (blocking the caller; progress goes to options.progress) and starts serving.
  // False when the library cannot be read, the index cannot be opened or the address not bound.
  bool Start(const ServerOptions& options);
  // Stops serving and joins the server's thread. Safe to call more than once.
  void Stop();

  bool IsRunning() const { return daemon_.IsRunning(); }
  uint16_t Port() const { return daemon_.Port(); }
  unsigned ConnectionCount() const { return daemon_.ConnectionCount(); }
  // "http://<host>:<port>", the address clients use.
  std::string BaseUrl() const;
  const ScanStats& LastScan() const { return stats_; }

 private:
  HttpDaemon daemon_;
  CatalogueIndex index_;
  std::unique_ptr<CatalogueQueries> queries_;
  std::unique_ptr<CatalogueApi> api_;
  std::string host_;
  ScanStats stats_;
};

}  // namespace server
