#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace server {

// A parsed .m3u / .m3u8 playlist.
struct M3uPlaylist {
  std::string title;                 // "#PLAYLIST:" if given, else the file name without extension
  std::vector<std::string> entries;  // library-relative, normalized track paths in order

  // text: the file's contents; playlistPath: the file's library-relative path. Entries are
  // resolved relative to the playlist's folder; '\\' counts as '/'. Comments, URLs and entries
  // that lead out of the library (absolute, or through "..") are left out.
  static M3uPlaylist Parse(std::string_view text, const std::string& playlistPath);
};

}  // namespace server
