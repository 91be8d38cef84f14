#include "server/PlaylistFile.h"

#include <cctype>
#include <fstream>
#include <sstream>
#include <system_error>

#include "server/LibraryPaths.h"
#include "server/M3uPlaylist.h"
#include "server/PlaylistText.h"
#include "server/PlsPlaylist.h"

namespace server {
namespace {

namespace fs = std::filesystem;

std::string Lowercase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// True when path (lexically normal, absolute) lies under root by its spelling alone.
bool LexicallyUnder(const fs::path& root, const fs::path& path) {
  auto p = path.begin();
  for (auto r = root.begin(); r != root.end(); ++r, ++p) {
    if (p == path.end() || *p != *r) return false;
  }
  return p != path.end();
}

}  // namespace

bool PlaylistFile::FileUriPath(const std::string& uri, std::string& path) {
  constexpr std::string_view kScheme = "file://";
  if (uri.size() < kScheme.size() || Lowercase(uri.substr(0, kScheme.size())) != kScheme) return false;
  const size_t slash = uri.find('/', kScheme.size());
  if (slash == std::string::npos) return false;
  const std::string host = Lowercase(uri.substr(kScheme.size(), slash - kScheme.size()));
  if (!host.empty() && host != "localhost") return false;
  path.clear();
  for (size_t i = slash; i < uri.size(); ++i) {
    if (uri[i] == '%' && i + 2 < uri.size() && HexValue(uri[i + 1]) >= 0 && HexValue(uri[i + 2]) >= 0) {
      path.push_back(static_cast<char>(HexValue(uri[i + 1]) * 16 + HexValue(uri[i + 2])));
      i += 2;
    } else if (uri[i] == '?' || uri[i] == '#') {
      break;
    } else {
      path.push_back(uri[i]);
    }
  }
  return true;
}

PlaylistFile::Entry PlaylistFile::Resolve(const fs::path& root, const fs::path& folder, const std::string& entry,
                                          std::string& resolved) {
  std::string spelled = entry;
  if (entry.find("://") != std::string::npos && !FileUriPath(entry, spelled)) return Entry::kNotAFile;
  const fs::path named(spelled);
  const fs::path path = (named.is_absolute() ? named : root / folder / named).lexically_normal();
  std::error_code error;
  if (!fs::exists(path, error)) return Entry::kMissing;  // a dangling link too
  const fs::path target = fs::canonical(path, error);
  if (error || !LibraryPaths::IsInside(root, target) || target == root) return Entry::kOutside;
  // The scanner names a file by its path under the library as found, links unresolved; an
  // entry that reaches the library only through a link is named by its target.
  resolved = (LexicallyUnder(root, path) ? path : target).lexically_relative(root).generic_string();
  return Entry::kInside;
}

bool PlaylistFile::Read(const fs::path& root, const std::string& relative, PlaylistContents& contents,
                        const Log& log) {
  const fs::path file = root / relative;
  std::error_code error;
  const uintmax_t size = fs::file_size(file, error);
  if (error || size > kMaxBytes) return false;
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  const std::string extension = Lowercase(fs::path(relative).extension().string());
  const std::string text = PlaylistText::ToUtf8(bytes.str(), extension == ".m3u8");
  const PlaylistContents parsed =
      extension == ".pls" ? PlsPlaylist::Parse(text, relative) : M3uPlaylist::Parse(text, relative);

  contents.title = parsed.title;
  contents.entries.clear();
  const fs::path folder = fs::path(relative).parent_path();
  for (const std::string& entry : parsed.entries) {
    std::string resolved;
    switch (Resolve(root, folder, entry, resolved)) {
      case Entry::kInside:
        contents.entries.push_back(resolved);
        break;
      case Entry::kOutside:
        if (log) log("playlist " + relative + ": " + entry + " is outside the library, refused");
        break;
      case Entry::kMissing:
        if (log) log("playlist " + relative + ": " + entry + " does not exist, skipped");
        break;
      case Entry::kNotAFile:
        if (log) log("playlist " + relative + ": " + entry + " is not a local file, skipped");
        break;
    }
  }
  return true;
}

}  // namespace server
