#include "server/CatalogueApi.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <utility>
#include <vector>

#include "server/ByteRange.h"
#include "server/CatalogueReplies.h"
#include "server/LibraryPaths.h"
#include "server/SearchQuery.h"

namespace server {
namespace {

constexpr const char* kXmlType = "text/xml; charset=utf-8";
constexpr size_t kMaxIdDigits = 18;
constexpr size_t kMaxHostBytes = 253;

// A whole string of 1 to kMaxIdDigits decimal digits; -1 otherwise.
int64_t ParseId(std::string_view text) {
  if (text.empty() || text.size() > kMaxIdDigits) return -1;
  int64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

// A leading optional sign and digits, like atoi, clamped into [low, high]; fallback when
// there is no number at all.
int64_t ParseBounded(const std::optional<std::string>& text, int64_t fallback, int64_t low, int64_t high) {
  if (!text) return fallback;
  size_t i = 0;
  bool negative = false;
  if (i < text->size() && ((*text)[i] == '-' || (*text)[i] == '+')) negative = (*text)[i++] == '-';
  if (i >= text->size() || (*text)[i] < '0' || (*text)[i] > '9') return fallback;
  int64_t value = 0;
  for (; i < text->size() && (*text)[i] >= '0' && (*text)[i] <= '9'; ++i) {
    value = std::min<int64_t>(value * 10 + ((*text)[i] - '0'), high + 1);
  }
  if (negative) value = -value;
  return std::clamp(value, low, high);
}

bool Switch(const HttpRequest& request, const char* key) {
  return ParseBounded(request.Argument(key), 1, 0, 1) != 0;
}

// Takes [offset, offset + wanted) of the concatenation of segments of the given sizes: for each
// segment the (offset, count) to fetch from it.
std::vector<std::pair<int64_t, int64_t>> Slice(const std::vector<int64_t>& sizes, int64_t offset, int64_t wanted) {
  std::vector<std::pair<int64_t, int64_t>> slices;
  for (const int64_t size : sizes) {
    if (offset >= size) {
      offset -= size;
      slices.emplace_back(0, 0);
      continue;
    }
    const int64_t take = std::min(wanted, size - offset);
    slices.emplace_back(offset, take);
    wanted -= take;
    offset = 0;
  }
  return slices;
}

HttpReply Xml(std::string document) {
  HttpReply reply = HttpReply::Text(200, std::move(document));
  reply.contentType = kXmlType;
  return reply;
}

}  // namespace

CatalogueApi::CatalogueApi(CatalogueQueries& queries, std::filesystem::path root, CatalogueApiOptions options)
    : queries_(queries), root_(std::move(root)), options_(std::move(options)) {}

HttpReply CatalogueApi::Handle(const HttpRequest& request) {
  // Every query of one request reads one snapshot of the index: a rescan committing between a
  // count and its page cannot make them disagree.
  SqliteTransaction snapshot(queries_.Database());
  const std::string path = request.Path();
  if (path == "/mobile/wm/downloads/version.php") return HttpReply::Text(200, options_.versionReply);
  if (path == "/api/wm_app/getAllFeaturedCueLists") return Featured(request);
  if (path == "/api/wm_app/getPlaylist") return PlaylistTracks(request);
  if (path == "/api/wm_app/search") return Search(request);
  if (path == "/api/wm_app/results") return StreamUrl(request);

  constexpr std::string_view kStream = "/stream/", kPlaylist = "/playlist/";
  const std::string_view view(path);
  if (view.substr(0, kStream.size()) == kStream && view.size() > kStream.size() + 4 &&
      view.substr(view.size() - 4) == ".mp3") {
    const int64_t id = ParseId(view.substr(kStream.size(), view.size() - kStream.size() - 4));
    if (id >= 0) return Stream(request, id);
  }
  if (view.substr(0, kPlaylist.size()) == kPlaylist && view.size() > kPlaylist.size() + 4 &&
      view.substr(view.size() - 4) == ".m3u") {
    const int64_t id = ParseId(view.substr(kPlaylist.size(), view.size() - kPlaylist.size() - 4));
    if (id >= 0) return PlaylistFile(request, id);
  }
  return HttpReply::Text(404, "not found\n");
}

bool CatalogueApi::KeyAccepted(const HttpRequest& request) const {
  const std::optional<std::string> key = request.Argument("sk");
  return key && *key == options_.apiKey;
}

std::string CatalogueApi::UrlHost(const std::string& listenHost) {
  // Every interface is one dual-stack socket (or IPv4 alone where there is no IPv6): the IPv4
  // loopback address reaches it either way.
  if (listenHost.empty() || listenHost == "0.0.0.0" || listenHost == "::") return "127.0.0.1";
  if (listenHost.find(':') != std::string::npos) return "[" + listenHost + "]";
  return listenHost;
}

std::string CatalogueApi::BaseUrl(const HttpRequest& request) const {
  if (!options_.publicUrl.empty()) return options_.publicUrl;
  // The client's Host header names the host, then the port. Only a plain host name, an IPv4
  // address or a bracketed IPv6 address is taken from it, never anything that could change
  // the URL's structure.
  std::string host = request.Header("Host").value_or("");
  bool usable = false;
  if (!host.empty() && host.front() == '[') {
    host = host.substr(0, host.find(']') == std::string::npos ? 0 : host.find(']') + 1);
    usable = host.size() > 2 && std::all_of(host.begin() + 1, host.end() - 1, [](char c) {
               return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.';
             });
  } else {
    host = host.substr(0, host.find(':'));
    usable = !host.empty() && std::all_of(host.begin(), host.end(), [](char c) {
      return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-';
    });
  }
  if (!usable || host.size() > kMaxHostBytes) host = UrlHost(options_.listenHost);
  return "http://" + host + ":" + std::to_string(port_);
}

HttpReply CatalogueApi::Featured(const HttpRequest& request) {
  if (!KeyAccepted(request)) return Xml(CatalogueReplies::Error("invalid key"));
  const int64_t start = ParseBounded(request.Argument("s"), 0, 0, kMaxStart);
  const int64_t count = ParseBounded(request.Argument("n"), kDefaultPageSize, 0, kMaxPageSize);
  const std::string base = BaseUrl(request);
  return Xml(CatalogueReplies::Featured(queries_.CountFeatured(), queries_.Featured(start, count), base));
}

HttpReply CatalogueApi::PlaylistTracks(const HttpRequest& request) {
  if (!KeyAccepted(request)) return Xml(CatalogueReplies::Error("invalid key"));
  const int64_t id = ParseId(request.Argument("playlist_id").value_or(""));
  if (id < 0 || !queries_.PlaylistById(id)) return Xml(CatalogueReplies::Error("unknown playlist"));
  return Xml(CatalogueReplies::Tracks(queries_.PlaylistTracks(id), BaseUrl(request)));
}

HttpReply CatalogueApi::Search(const HttpRequest& request) {
  if (!KeyAccepted(request)) return Xml(CatalogueReplies::Error("invalid key"));
  const int64_t start = ParseBounded(request.Argument("s"), 0, 0, kMaxStart);
  const int64_t count = ParseBounded(request.Argument("n"), kDefaultPageSize, 0, kMaxPageSize);
  const std::string match = SearchQuery::MatchExpression(request.Argument("q").value_or(""));

  // Results come as TextCues, then CueLists, then AudioCues: the few subject and playlist
  // hits stay on the first page ahead of the many tracks.
  const int64_t names = Switch(request, "rt") ? queries_.CountNames(match) : 0;
  const int64_t playlists = Switch(request, "rp") ? queries_.CountPlaylists(match) : 0;
  const int64_t tracks = Switch(request, "rm") ? queries_.CountTracks(match) : 0;
  const auto slices = Slice({names, playlists, tracks}, start, count);

  SearchResults results;
  results.total = names + playlists + tracks;
  // bm25 scores every match before a page can be cut: a query as broad as a single common
  // word would take tens of milliseconds, so such result sets come in index order.
  results.names = queries_.SearchNames(match, slices[0].first, slices[0].second, names <= kMaxRankedMatches);
  results.playlists =
      queries_.SearchPlaylists(match, slices[1].first, slices[1].second, playlists <= kMaxRankedMatches);
  results.tracks = queries_.SearchTracks(match, slices[2].first, slices[2].second, tracks <= kMaxRankedMatches);
  return Xml(CatalogueReplies::Search(results, BaseUrl(request), options_.articleBase));
}

HttpReply CatalogueApi::StreamUrl(const HttpRequest& request) {
  const int64_t id = ParseId(request.Argument("mp3_url_id").value_or(""));
  if (!KeyAccepted(request) || id < 0 || !queries_.TrackById(id)) return HttpReply::Text(200, kNotAvailable);
  return HttpReply::Text(200, CatalogueReplies::StreamUrl(BaseUrl(request), id));
}

HttpReply CatalogueApi::Stream(const HttpRequest& request, int64_t trackId) {
  const std::optional<TrackRow> track = queries_.TrackById(trackId);
  if (!track) return HttpReply::Text(404, "not found\n");
  // The file's path comes from the index only, and must still resolve inside the library.
  int64_t size = 0;
  platform::UniqueFd fd = LibraryPaths::OpenInside(root_, track->path, size);
  if (!fd) return HttpReply::Text(404, "not found\n");

  return RangedFileReply(std::move(fd), size, request.Header("Range").value_or(""), "audio/mpeg");
}

HttpReply CatalogueApi::PlaylistFile(const HttpRequest& request, int64_t playlistId) {
  const std::optional<PlaylistRow> playlist = queries_.PlaylistById(playlistId);
  if (!playlist) return HttpReply::Text(404, "not found\n");
  HttpReply reply = HttpReply::Text(
      200, CatalogueReplies::M3u(*playlist, queries_.PlaylistTracks(playlistId), BaseUrl(request)));
  reply.contentType = "audio/x-mpegurl; charset=utf-8";
  return reply;
}

}  // namespace server
