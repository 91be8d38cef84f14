#include "app/CatalogueHost.h"

#include "platform/DebugLog.h"
#include "server/CatalogueServer.h"

CatalogueHost::CatalogueHost() = default;

CatalogueHost::~CatalogueHost() { Stop(); }

bool CatalogueHost::Start(const AppOptions& options, std::string& error) {
  Stop();
  if (!options.UsesEmbeddedServer()) {
    baseUrl_ = options.serverUrl;
    return true;
  }
  server::ServerOptions serverOptions;
  serverOptions.library = options.library;
  auto embedded = std::make_unique<server::CatalogueServer>();
  if (!embedded->Start(serverOptions)) {
    error = "cannot start the embedded catalogue server over " + options.library;
    return false;
  }
  baseUrl_ = embedded->BaseUrl();
  embedded_ = std::move(embedded);
  platform::DebugPrintf("embedded catalogue server at %s over %s", baseUrl_.c_str(), options.library.c_str());
  return true;
}

void CatalogueHost::Stop() {
  if (embedded_) embedded_->Stop();
  embedded_.reset();
}
