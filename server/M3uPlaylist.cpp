#include "server/M3uPlaylist.h"

#include <filesystem>

#include "server/PlaylistText.h"

namespace server {
namespace {

constexpr std::string_view kTitleDirective = "#PLAYLIST:";

}  // namespace

PlaylistContents M3uPlaylist::Parse(std::string_view text, const std::string& playlistPath) {
  PlaylistContents playlist;
  playlist.title = std::filesystem::path(playlistPath).stem().string();
  text = PlaylistText::SkipBom(text);
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = PlaylistText::Trim(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.empty()) continue;
    if (line.substr(0, kTitleDirective.size()) == kTitleDirective) {
      const std::string_view title = PlaylistText::Trim(line.substr(kTitleDirective.size()));
      if (!title.empty()) playlist.title = std::string(title);
      continue;
    }
    if (line.front() == '#') continue;
    playlist.entries.push_back(PlaylistText::EntryPath(line));
  }
  return playlist;
}

}  // namespace server
