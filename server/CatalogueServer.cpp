#include "server/CatalogueServer.h"

#include <system_error>

#include "platform/DebugLog.h"

namespace server {

const char* const kBuiltInApiKey = VORNALO_API_KEY;

CatalogueServer::~CatalogueServer() { Stop(); }

bool CatalogueServer::Start(const ServerOptions& options) {
  Stop();
  std::error_code error;
  const std::filesystem::path root = std::filesystem::canonical(options.library, error);
  if (error) {
    platform::DebugPrintf("server: cannot open library %s\n", options.library.c_str());
    return false;
  }
  if (!index_.Open(options.dbPath.empty() ? ":memory:" : options.dbPath)) return false;
  LibraryScanner scanner(index_, root);
  if (!scanner.Scan(options.progress, stats_)) return false;

  queries_ = std::make_unique<CatalogueQueries>(index_.Database());
  CatalogueApiOptions apiOptions;
  apiOptions.apiKey = options.apiKey;
  apiOptions.versionReply = options.versionReply;
  apiOptions.articleBase = options.articleBase;
  apiOptions.publicUrl = options.publicUrl;
  apiOptions.listenHost = options.host;
  api_ = std::make_unique<CatalogueApi>(*queries_, root, apiOptions);

  HttpDaemon::Settings settings;
  settings.host = options.host;
  settings.port = options.port;
  settings.timeoutSeconds = options.timeoutSeconds;
  api_->SetPort(options.port);
  CatalogueApi* api = api_.get();
  if (!daemon_.Start(settings, [api](const HttpRequest& request) { return api->Handle(request); })) return false;
  api_->SetPort(daemon_.Port());
  host_ = options.host == "0.0.0.0" ? "127.0.0.1" : options.host;
  return true;
}

void CatalogueServer::Stop() {
  daemon_.Stop();
  api_.reset();
  queries_.reset();
}

std::string CatalogueServer::BaseUrl() const { return "http://" + host_ + ":" + std::to_string(Port()); }

}  // namespace server
