#include "server/M3uPlaylist.h"

#include <filesystem>

namespace server {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kTitleDirective = "#PLAYLIST:";

std::string_view Trim(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
  while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  return line;
}

}  // namespace

M3uPlaylist M3uPlaylist::Parse(std::string_view text, const std::string& playlistPath) {
  namespace fs = std::filesystem;
  M3uPlaylist playlist;
  const fs::path relative(playlistPath);
  playlist.title = relative.stem().string();
  const fs::path folder = relative.parent_path();
  if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) text.remove_prefix(kUtf8Bom.size());

  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = Trim(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.empty()) continue;
    if (line.substr(0, kTitleDirective.size()) == kTitleDirective) {
      const std::string_view title = Trim(line.substr(kTitleDirective.size()));
      if (!title.empty()) playlist.title = std::string(title);
      continue;
    }
    if (line.front() == '#' || line.find("://") != std::string_view::npos) continue;
    std::string entry(line);
    for (char& c : entry) {
      if (c == '\\') c = '/';
    }
    if (entry.front() == '/') continue;
    const fs::path resolved = (folder / entry).lexically_normal();
    if (resolved.empty() || resolved == "." || *resolved.begin() == ".." || resolved.has_root_path()) continue;
    playlist.entries.push_back(resolved.generic_string());
  }
  return playlist;
}

}  // namespace server
