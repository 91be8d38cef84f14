#include "tools/catalogue/CatalogueCommand.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "catalogue/CueListTracksRequest.h"
#include "catalogue/FeaturedCueListsRequest.h"
#include "catalogue/HttpUrl.h"
#include "catalogue/SearchRequest.h"
#include "core/AppSettings.h"
#include "core/RequestIdentity.h"
#include "core/Utilities.h"
#include "platform/DebugLog.h"
#include "platform/TextCodec.h"

namespace {

constexpr int kExitReply = 0;
constexpr int kExitUnreachable = 1;
constexpr int kExitUsage = 2;
constexpr int kDefaultCount = 10;
constexpr int kAllKinds = 7;
constexpr std::int32_t kMp3UrlIdCapacity = 127;

constexpr char kUsage[] =
    "usage: vornalo-catalogue --server URL [--debug] COMMAND\n"
    "\n"
    "Asks a Vornalo catalogue server what the client asks, with the client's own HTTP client\n"
    "and reply parser, and prints the items received.\n"
    "\n"
    "commands:\n"
    "  search TEXT [--kinds N] [--start S] [--count N]\n"
    "      search the catalogue; N is a sum of 1 (AudioCues), 2 (CueLists), 4 (TextCues),\n"
    "      7 by default\n"
    "  featured [--start S] [--count N]   the featured CueLists\n"
    "  tracks PLAYLIST_ID                 the tracks of one CueList\n"
    "  stream-url MP3_URL_ID              the address a track is streamed from\n"
    "\n"
    "options:\n"
    "  --server URL   the server's base address, http://host[:port]\n"
    "  --start S      index of the first item (default 0)\n"
    "  --count N      items per page (default 10)\n"
    "  --debug        debug output on stderr\n"
    "  --help         this text\n"
    "\n"
    "exit status: 0 a reply arrived, 1 the server could not be reached, 2 bad arguments\n";

struct Arguments {
  std::string server;
  std::string command;
  std::string operand;
  int kinds = kAllKinds;
  int start = 0;
  int count = kDefaultCount;
  bool help = false;
};

bool ParseNumber(const char* text, int low, int high, int* out) {
  char* end = nullptr;
  long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || value < low || value > high) return false;
  *out = static_cast<int>(value);
  return true;
}

// Reads the arguments; an error text when they are not usable.
std::string Parse(int argc, char** argv, Arguments* args) {
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    if (arg == "--help" || arg == "-h") {
      args->help = true;
    } else if (arg == "--debug") {
      platform::SetDebugOutputEnabled(true);
    } else if (arg == "--server" || arg == "--kinds" || arg == "--start" || arg == "--count") {
      const char* text = value();
      if (!text) return arg + " needs a value";
      bool ok = true;
      if (arg == "--server") args->server = text;
      if (arg == "--kinds") ok = ParseNumber(text, 1, kAllKinds, &args->kinds);
      if (arg == "--start") ok = ParseNumber(text, 0, 1'000'000'000, &args->start);
      if (arg == "--count") ok = ParseNumber(text, 1, 1000, &args->count);
      if (!ok) return "bad value for " + arg + ": " + text;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return "unknown option " + arg;
    } else {
      positional.push_back(arg);
    }
  }
  if (args->help) return {};
  if (positional.empty()) return "no command given";
  args->command = positional[0];
  bool needsOperand = args->command != "featured";
  if (args->command != "search" && args->command != "featured" && args->command != "tracks" &&
      args->command != "stream-url") {
    return "unknown command " + args->command;
  }
  if (positional.size() != (needsOperand ? 2u : 1u)) {
    return needsOperand ? args->command + " takes one argument" : "featured takes no argument";
  }
  if (needsOperand) args->operand = positional[1];
  catalogue::HttpUrl parsed;
  if (args->server.empty()) return "--server URL is required";
  if (!catalogue::IsAcceptableUrl(args->server) || !catalogue::HttpUrl::Parse(args->server, &parsed)) {
    return "not a usable server address: " + args->server;
  }
  return {};
}

void Field(std::ostream& out, const char* name, const char* slot) {
  out << "    " << name << ": " << slot << "\n";
}

void PrintAudioCue(std::ostream& out, const catalogue::AudioCueRecord& r) {
  out << "AudioCue\n";
  Field(out, "title", r.title);
  Field(out, "creator", r.creator);
  Field(out, "album", r.album);
  Field(out, "genre", r.genre);
  Field(out, "composer", r.composer);
  Field(out, "location", r.location);
  Field(out, "mp3_url_id", r.mp3_url_id);
  Field(out, "song_id", r.song_id);
}

void PrintCueList(std::ostream& out, const catalogue::CueListRecord& r) {
  out << "CueList\n";
  Field(out, "title", r.title);
  Field(out, "playlist_id", r.playlist_id);
  out << "    item_count: " << r.item_count << "\n";
  Field(out, "publish_date", r.publish_date);
  Field(out, "uid", r.uid);
  Field(out, "location", r.location);
}

void PrintTextCue(std::ostream& out, const catalogue::TextCueRecord& r) {
  out << "TextCue\n";
  Field(out, "title", r.title);
  Field(out, "location", r.location);
}

void PrintPage(std::ostream& out, const catalogue::CatalogueRequest& request) {
  out << "request: " << request.url() << "\n"
      << "items: " << request.resultCount() << " (start " << request.startIndex << ", page size "
      << request.pageSize << ")\n";
}

int RunSearch(const Arguments& args, const core::AppSettings& settings, std::ostream& out) {
  catalogue::SearchRequest search(args.server, settings);
  search.setResultKinds(static_cast<std::uint32_t>(args.kinds));
  search.pageSize = args.count;
  search.startIndex = args.start;
  search.buildUrl(catalogue::SearchRequest::EncodeQuery(args.operand).c_str());
  if (!search.run(args.start)) return kExitUnreachable;
  PrintPage(out, search);
  out << "total: " << search.totalCount
      << (search.totalReceived ? "" : " (no filter_count_total in the reply)") << "\n";
  for (std::size_t i = 0; i < search.resultCount(); ++i) {
    const catalogue::ItemRef& item = *search.itemAt(i);
    out << "[" << args.start + static_cast<int>(i) << "] ";
    if (item.audioCue()) PrintAudioCue(out, *item.audioCue());
    if (item.cueList()) PrintCueList(out, *item.cueList());
    if (item.textCue()) PrintTextCue(out, *item.textCue());
  }
  return kExitReply;
}

int RunFeatured(const Arguments& args, const core::AppSettings& settings, std::ostream& out) {
  catalogue::FeaturedCueListsRequest featured(args.server, settings);
  featured.pageSize = args.count;
  featured.startIndex = args.start;
  featured.buildUrl(nullptr);
  if (!featured.run(args.start)) return kExitUnreachable;
  PrintPage(out, featured);
  out << "total: " << featured.totalCount << "\n";
  for (std::size_t i = 0; i < featured.resultCount(); ++i) {
    out << "[" << args.start + static_cast<int>(i) << "] ";
    PrintCueList(out, *featured.itemAt(i));
  }
  return kExitReply;
}

int RunTracks(const Arguments& args, const core::AppSettings& settings, std::ostream& out) {
  catalogue::CueListTracksRequest tracks(args.server, settings);
  tracks.buildUrl(args.operand.c_str());
  if (!tracks.run(0)) return kExitUnreachable;
  PrintPage(out, tracks);
  for (std::size_t i = 0; i < tracks.resultCount(); ++i) {
    out << "[" << i << "] ";
    PrintAudioCue(out, *tracks.itemAt(i));
  }
  return kExitReply;
}

int RunStreamUrl(const Arguments& args, const core::AppSettings& settings, std::ostream& out) {
  // The same request the track start makes before it streams a track.
  std::string base = args.server;
  while (!base.empty() && base.back() == '/') base.pop_back();
  std::string url = base + "/api/wm_app/results?mp3_url_id=" +
                    core::UrlEncode(args.operand, kMp3UrlIdCapacity) +
                    core::RequestIdentity::From(settings).QuerySuffix();
  catalogue::HttpClient client;
  const catalogue::HttpClient::WholeBodyReply fetched = client.fetchWholeBody(url);
  if (fetched.status == catalogue::HttpClient::FetchStatus::kNotStarted) return kExitUnreachable;
  const std::string& body = fetched.body;
  out << "request: " << url << "\n";
  if (fetched.status != catalogue::HttpClient::FetchStatus::kFinished && body.empty()) return kExitUnreachable;
  out << "stream URL: " << body << (body == "not_available" ? " (the record's location is played)" : "")
      << "\n";
  return kExitReply;
}

}  // namespace

int RunCatalogueCommand(int argc, char** argv, const core::AppSettings& settings, std::ostream& out,
                        std::ostream& err) {
  Arguments args;
  std::string error = Parse(argc, argv, &args);
  if (args.help) {
    out << kUsage;
    return kExitReply;
  }
  if (!error.empty()) {
    err << "vornalo-catalogue: " << error << "\n" << kUsage;
    return kExitUsage;
  }
  int status = kExitUsage;
  if (args.command == "search") status = RunSearch(args, settings, out);
  if (args.command == "featured") status = RunFeatured(args, settings, out);
  if (args.command == "tracks") status = RunTracks(args, settings, out);
  if (args.command == "stream-url") status = RunStreamUrl(args, settings, out);
  if (status == kExitUnreachable) {
    err << "vornalo-catalogue: no reply from " << args.server << "\n";
  }
  return status;
}
