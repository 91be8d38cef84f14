// The catalogue API given any path, query arguments and headers (what the daemon hands it after
// decoding a request): every reply has a known status, every XML reply is well-formed, a stream
// address never carries bytes that could change a URL's structure, and a file reply lies inside
// its file.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "server/CatalogueApi.h"
#include "server/CatalogueIndex.h"
#include "tests/server/XmlProbe.h"
#include "tools/fuzz/FuzzInput.h"

namespace {

constexpr const char* kKey = "0123456789abcde";
constexpr int kFileBytes = 300;
const char* const kPaths[] = {"/mobile/wm/downloads/version.php", "/api/wm_app/getAllFeaturedCueLists",
                              "/api/wm_app/getPlaylist", "/api/wm_app/search", "/api/wm_app/results"};

struct Request : server::HttpRequest {
  std::string Method() const override { return "GET"; }
  std::string Path() const override { return path; }
  std::optional<std::string> Argument(const char* key) const override { return Find(arguments, key); }
  std::optional<std::string> Header(const char* name) const override { return Find(headers, name); }
  static std::optional<std::string> Find(const std::map<std::string, std::string>& map, const char* key) {
    const auto it = map.find(key);
    return it == map.end() ? std::nullopt : std::optional<std::string>(it->second);
  }
  std::string path;
  std::map<std::string, std::string> arguments, headers;
};

// One index for the whole run: three tracks (one of them a real file of kFileBytes), a playlist
// of two of them, featured.
struct Catalogue {
  Catalogue() {
    root = std::filesystem::temp_directory_path() / ("vornalo-fuzz-api-" + std::to_string(getpid()));
    std::filesystem::create_directories(root);
    std::ofstream(root / "t0.mp3", std::ios::binary) << std::string(kFileBytes, '\xff');
    fuzz::Require(index.Open(":memory:"));
    const int64_t generation = index.BeginScan();
    for (int i = 0; i < 3; ++i) {
      server::TrackTags tags;
      tags.title = "Song <" + std::to_string(i) + "> & \"more\"";
      tags.creator = "Caf\xC3\xA9 Artist";
      tags.album = "Album";
      fuzz::Require(index.UpsertTrack("t" + std::to_string(i) + ".mp3", kFileBytes, 1, tags, generation));
    }
    server::PlaylistRow list;
    list.path = "featured/List.m3u";
    list.title = "List ]]> <x>";
    list.featured = true;
    fuzz::Require(index.UpsertPlaylist(list, {"t1.mp3", "t0.mp3"}, generation));
    fuzz::Require(index.FinishScan(generation));
    api.SetPort(4321);
    std::atexit([] { std::filesystem::remove_all(Instance().root); });
  }
  static Catalogue& Instance() {
    static Catalogue catalogue;
    return catalogue;
  }
  std::filesystem::path root;
  server::CatalogueIndex index;
  server::CatalogueQueries queries{index.Database()};
  server::CatalogueApi api{queries, root, {kKey, "1.0", "https://wiki.invalid/wiki/", "", "0.0.0.0"}};
};

std::string_view NextLine(std::string_view& rest) {
  const size_t end = rest.find('\n');
  const std::string_view line = rest.substr(0, end);
  rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  return line;
}

bool UrlSafe(const std::string& url) {
  for (const char c : url) {
    if (static_cast<unsigned char>(c) <= ' ' || c == '"' || c == '<' || c == '>' || c == '\\' || c == 0x7f) {
      return false;
    }
  }
  return url.rfind("http://", 0) == 0;
}

}  // namespace

// Input: a selector byte (which path, whether the right key is given), then lines: the first is
// a path or a stream/playlist id, the others "name=value" arguments or ":Name=value" headers.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Catalogue& catalogue = Catalogue::Instance();
  fuzz::FuzzInput input(data, size);
  const std::uint8_t selector = input.TakeByte();
  std::string_view rest(reinterpret_cast<const char*>(input.data()), input.size());

  Request request;
  const std::string first(NextLine(rest));
  switch (selector % 8) {
    case 5: request.path = "/stream/" + first + ".mp3"; break;
    case 6: request.path = "/playlist/" + first + ".m3u"; break;
    case 7: request.path = first; break;
    default: request.path = kPaths[selector % 8]; break;
  }
  if (selector & 0x80) request.arguments["sk"] = kKey;
  while (!rest.empty()) {
    std::string_view line = NextLine(rest);
    const bool header = !line.empty() && line.front() == ':';
    if (header) line.remove_prefix(1);
    const size_t equals = line.find('=');
    const std::string name(line.substr(0, equals));
    const std::string value(equals == std::string_view::npos ? std::string_view() : line.substr(equals + 1));
    (header ? request.headers : request.arguments)[name] = value;
  }

  const server::HttpReply reply = catalogue.api.Handle(request);
  fuzz::Require(reply.status >= 200 && reply.status < 600);
  if (reply.contentType.rfind("text/xml", 0) == 0) {
    fuzz::Require(servertest::XmlProbe::Parse(reply.body).wellFormed);
  }
  if (request.path == kPaths[4] && reply.status == 200 && reply.body != server::CatalogueApi::kNotAvailable) {
    fuzz::Require(UrlSafe(reply.body));
  }
  if (reply.file.IsValid()) {
    fuzz::Require(reply.fileOffset >= 0 && reply.fileLength >= 0 && reply.fileOffset + reply.fileLength <= kFileBytes);
  }
  return 0;
}
