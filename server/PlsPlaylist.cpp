#include "server/PlsPlaylist.h"

#include <cctype>
#include <filesystem>
#include <map>

#include "server/PlaylistText.h"

namespace server {
namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

// The n of "File<n>", or 0 when key is not such a key.
int FileNumber(std::string_view key) {
  constexpr std::string_view kFile = "file";
  if (key.size() <= kFile.size() || !EqualsIgnoringCase(key.substr(0, kFile.size()), kFile)) return 0;
  int number = 0;
  for (const char c : key.substr(kFile.size())) {
    if (c < '0' || c > '9') return 0;
    number = number * 10 + (c - '0');
    if (number > PlsPlaylist::kMaxEntryNumber) return 0;
  }
  return number;
}

}  // namespace

PlaylistContents PlsPlaylist::Parse(std::string_view text, const std::string& playlistPath) {
  PlaylistContents playlist;
  playlist.title = std::filesystem::path(playlistPath).stem().string();
  text = PlaylistText::SkipBom(text);
  std::map<int, std::string> numbered;
  bool inPlaylist = false;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = PlaylistText::Trim(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      inPlaylist = EqualsIgnoringCase(line, "[playlist]");
      continue;
    }
    const size_t equals = line.find('=');
    if (!inPlaylist || equals == std::string_view::npos) continue;
    const int number = FileNumber(PlaylistText::Trim(line.substr(0, equals)));
    const std::string_view value = PlaylistText::Trim(line.substr(equals + 1));
    if (number > 0 && !value.empty()) numbered[number] = PlaylistText::EntryPath(value);
  }
  for (auto& [number, entry] : numbered) playlist.entries.push_back(std::move(entry));
  return playlist;
}

}  // namespace server
