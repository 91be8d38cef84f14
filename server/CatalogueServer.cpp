#include "server/CatalogueServer.h"

#include <cstdlib>
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
  // Requests and rescans need two connections to one database, so even a private index is a
  // file: in a folder of its own that Stop() removes.
  std::string dbPath = options.dbPath;
  if (dbPath.empty()) {
    std::string pattern = (std::filesystem::temp_directory_path(error) / "vornalo-index-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return false;
    privateDir_ = pattern;
    dbPath = (privateDir_ / "index.sqlite").string();
  }
  if (!index_.Open(dbPath)) return false;
  scanner_ = std::make_unique<LibraryScanner>(index_, root);
  scanner_->SetLog(options.log);
  stats_ = ScanStats{};
  if ((!options.deferScan || index_.IsNew()) && !scanner_->Scan(options.progress, stats_)) return false;
  if (!reader_.Open(dbPath) || !reader_.Execute("PRAGMA query_only=1")) return false;

  TranscodeCache::Settings transcode;
  transcode.folder = !options.transcodeFolder.empty() ? options.transcodeFolder
                     : options.dbPath.empty()         ? privateDir_ / "transcodes"
                                                      : std::filesystem::path(dbPath + ".transcodes");
  transcode.bitrateKbps = options.transcodeBitrate;
  transcode.maxBytes = options.transcodeCacheBytes;
  transcode.workers = options.transcodeWorkers;
  transcode.log = options.log;
  std::string transcodeError;
  if (!transcodes_.Start(transcode, transcodeError)) {
    platform::DebugPrintf("server: %s\n", transcodeError.c_str());
    return false;
  }

  queries_ = std::make_unique<CatalogueQueries>(reader_);
  CatalogueApiOptions apiOptions;
  apiOptions.apiKey = options.apiKey;
  apiOptions.versionReply = options.versionReply;
  apiOptions.articleBase = options.articleBase;
  apiOptions.publicUrl = options.publicUrl;
  apiOptions.listenHost = options.host;
  api_ = std::make_unique<CatalogueApi>(*queries_, root, apiOptions, &transcodes_);

  HttpDaemon::Settings settings;
  settings.host = options.host;
  settings.port = options.port;
  settings.timeoutSeconds = options.timeoutSeconds;
  api_->SetPort(options.port);
  CatalogueApi* api = api_.get();
  if (!daemon_.Start(settings, [api](const HttpRequest& request) { return api->Handle(request); })) return false;
  api_->SetPort(daemon_.Port());
  host_ = CatalogueApi::UrlHost(options.host);

  // The rescan thread takes the scanner (and the writer's connection) from here on.
  scanner_->SetSettleTime(options.settle);
  LiveRescan::Settings rescan;
  rescan.watch = options.watch;
  rescan.settle = options.settle;
  rescan.interval = options.rescanInterval;
  scanner_->SetCancel(&rescan_.Stopping());
  rescan_.Start(*scanner_, root, rescan);
  return true;
}

void CatalogueServer::Stop() {
  rescan_.Stop();
  daemon_.Stop();
  transcodes_.Stop();
  api_.reset();
  queries_.reset();
  reader_ = SqliteDatabase();
  index_ = CatalogueIndex();
  scanner_.reset();
  if (!privateDir_.empty()) {
    std::error_code error;
    std::filesystem::remove_all(privateDir_, error);
    privateDir_.clear();
  }
}

std::string CatalogueServer::BaseUrl() const { return "http://" + host_ + ":" + std::to_string(Port()); }

}  // namespace server
