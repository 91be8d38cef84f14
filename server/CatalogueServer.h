#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "server/CatalogueApi.h"
#include "server/CatalogueIndex.h"
#include "server/CatalogueQueries.h"
#include "server/HttpDaemon.h"
#include "server/LiveRescan.h"
#include "server/ServerOptions.h"
#include "server/TranscodeCache.h"

namespace server {

// A whole catalogue server: brings the index up to date with the library, then serves the
// catalogue API on its own thread until Stop(), and keeps the index in step with the library
// on another (see LiveRescan). This is what `vornalo-server` runs and what the client embeds:
//
//   server::CatalogueServer catalogue;
//   server::ServerOptions options;
//   options.library = folder;            // 127.0.0.1, an ephemeral port, a private index
//   if (catalogue.Start(options)) UseServer(catalogue.BaseUrl());
//   ...
//   catalogue.Stop();                    // also done by the destructor
//
// Requests read the index through a connection of their own, so they answer from the last
// complete scan while a rescan writes the next one.
class CatalogueServer {
 public:
  CatalogueServer() = default;
  ~CatalogueServer();
  CatalogueServer(const CatalogueServer&) = delete;
  CatalogueServer& operator=(const CatalogueServer&) = delete;

  // Scans (blocking the caller, unless options.deferScan; progress goes to options.progress)
  // and starts serving. False when the library cannot be read, the index
  // cannot be opened or the address not bound.
  bool Start(const ServerOptions& options);
  // Stops serving and rescanning and joins both threads. Safe to call more than once.
  void Stop();
  // A full rescan now, on the rescan thread (what SIGHUP asks for). Any thread.
  void RescanNow() { rescan_.RescanNow(); }

  bool IsRunning() const { return daemon_.IsRunning(); }
  uint16_t Port() const { return daemon_.Port(); }
  unsigned ConnectionCount() const { return daemon_.ConnectionCount(); }
  // "http://<host>:<port>", the address clients use (an IPv6 host in brackets).
  std::string BaseUrl() const;
  // The scan Start() did (empty when it was left to the background).
  const ScanStats& LastScan() const { return stats_; }
  // What the rescans since Start() did.
  LiveRescan::Totals Rescans() const { return rescan_.CurrentTotals(); }
  // What the transcodes of other formats did since Start().
  TranscodeCache::Stats Transcodes() const { return transcodes_.CurrentStats(); }
  const std::filesystem::path& TranscodeFolder() const { return transcodes_.Folder(); }

 private:
  TranscodeCache transcodes_;  // used by the daemon's thread; stopped after it
  HttpDaemon daemon_;
  CatalogueIndex index_;     // the writer's connection: the start-up scan, then the rescan thread
  SqliteDatabase reader_;    // the requests' connection, used on the daemon's thread only
  std::unique_ptr<LibraryScanner> scanner_;
  LiveRescan rescan_;
  std::unique_ptr<CatalogueQueries> queries_;
  std::unique_ptr<CatalogueApi> api_;
  std::string host_;
  std::filesystem::path privateDir_;  // holds the index when no file was asked for
  ScanStats stats_;
};

}  // namespace server
