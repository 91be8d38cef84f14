#pragma once

#include <string>
#include <string_view>

namespace server {

// Text handling shared by the playlist formats.
class PlaylistText {
 public:
  // The file's bytes as UTF-8: .m3u8 files are UTF-8 by definition (kept as they are); other
  // playlists that are not valid UTF-8 were written in Latin-1 and are converted from it.
  static std::string ToUtf8(std::string bytes, bool utf8ByName);
  static bool IsValidUtf8(std::string_view text);
  static std::string_view SkipBom(std::string_view text);
  // Without surrounding spaces, tabs and a CR.
  static std::string_view Trim(std::string_view line);
  // An entry as a path: URIs ("scheme://") whole, anything else with '\\' as '/'.
  static std::string EntryPath(std::string_view entry);
};

}  // namespace server
