#include "app/CatalogueHost.h"

#include "platform/DebugLog.h"
#include "server/CatalogueServer.h"
#include "server/ServerCommandLine.h"

namespace app {

CatalogueHost::CatalogueHost() = default;

CatalogueHost::~CatalogueHost() { Stop(); }

bool CatalogueHost::Start(const AppOptions& options, std::string& error) {
  Stop();
  if (!options.UsesEmbeddedServer()) {
    baseUrl_ = options.serverUrl;
    return true;
  }
  // The index is kept in the user's cache folder, one per library: a later start serves it at
  // once and brings it up to date in the background (StartBackgroundRescan). Where the cache
  // cannot be written, a private index is scanned at every start instead.
  server::ServerOptions serverOptions;
  serverOptions.library = options.library;
  serverOptions.dbPath = server::ServerCommandLine::DefaultDatabasePath(options.library);
  serverOptions.deferScan = true;
  auto embedded = std::make_unique<server::CatalogueServer>();
  bool started = embedded->Start(serverOptions);
  if (!started) {
    serverOptions.dbPath.clear();
    started = embedded->Start(serverOptions);
  }
  if (!started) {
    error = "cannot start the embedded catalogue server over " + options.library;
    return false;
  }
  baseUrl_ = embedded->BaseUrl();
  embedded_ = std::move(embedded);
  platform::DebugPrintf("embedded catalogue server at %s over %s", baseUrl_.c_str(), options.library.c_str());
  return true;
}

void CatalogueHost::StartBackgroundRescan() {
  if (embedded_) embedded_->RescanNow();
}

void CatalogueHost::Stop() {
  if (embedded_) embedded_->Stop();
  embedded_.reset();
}

}  // namespace app
